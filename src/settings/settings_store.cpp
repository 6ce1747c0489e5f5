#include "settings/settings_store.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QStringConverter>
#include <QStringList>
#include <QVariant>
#include <QtEndian>
#include <bit>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>

#include "convert/cp932.h"
#include "convert/sjis.h"

namespace sk::settings {
namespace {

QString FromPlatform(const std::string& path) { return QFile::decodeName(path.c_str()); }
std::string ToPlatform(const QString& path) { return QFile::encodeName(path).toStdString(); }

// "\Software\sorakumo\memo.dbf" -> "Software/sorakumo/memo.dbf".  The path is decoded first: a
// CP932 trail byte may be 0x5C and must not split a component.
QString GroupOf(std::string_view key_path) {
  const QString decoded = cp932::Decode(key_path);
  QStringList parts;
  QString part;
  for (QChar c : decoded) {
    if (c == u'\\' || c == u'/') {
      if (!part.isEmpty()) parts.append(part);
      part.clear();
    } else {
      part.append(c);
    }
  }
  if (!part.isEmpty()) parts.append(part);
  return parts.join(u'/');
}

// Keys created in this process, per settings file (INI cannot hold an empty group).
std::mutex g_created_mutex;
std::map<std::string, std::set<QString>>& CreatedKeys() {
  static std::map<std::string, std::set<QString>> created;
  return created;
}

// The text of an integer or string value; nullopt-like false for other types.
bool TextOf(const QVariant& v, QString* text) {
  switch (v.typeId()) {
    case QMetaType::QString:
    case QMetaType::Int:
      *text = v.toString();
      return true;
    case QMetaType::QStringList:
      // A hand-edited value with unquoted commas ("a, b") comes back split at the commas.
      *text = v.toStringList().join(u", ");
      return true;
    default:
      return false;
  }
}

bool IntegerOf(const QVariant& v, int* out) {
  if (v.typeId() == QMetaType::Int) {
    *out = v.toInt();
    return true;
  }
  if (v.typeId() != QMetaType::QString) return false;
  bool ok = false;
  const int n = v.toString().trimmed().toInt(&ok, 10);
  if (ok) *out = n;
  return ok;
}

// A file QSettings parses without complaint may still be no settings file at all: it never
// writes NUL bytes (they are escaped) and always writes UTF-8.
bool LooksBroken(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray data = f.readAll();
  if (data.contains('\0')) return true;
  QStringDecoder utf8(QStringConverter::Utf8);
  const QString text = utf8(data);
  return utf8.hasError();
}

}  // namespace

SettingsStore::SettingsStore(std::string file_path)
    : path_(file_path.empty() ? DefaultPath() : std::move(file_path)) {
  CheckFile();
}

SettingsStore::~SettingsStore() = default;

std::string SettingsStore::DefaultPath() {
  const QString dir = qEnvironmentVariable("SORAKUMO_CONFIG_DIR");
  if (!dir.isEmpty()) return ToPlatform(dir + QStringLiteral("/sorakumo.conf"));
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty() || !QFileInfo(base).isAbsolute()) {
    base = qEnvironmentVariable("HOME") + QStringLiteral("/.config");
  }
  return ToPlatform(base + QStringLiteral("/sorakumo/sorakumo.conf"));
}

void SettingsStore::CheckFile() {
  const QString file = FromPlatform(path_);
  qs_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
  const bool exists = QFileInfo::exists(file);
  if (!exists) return;
  if (qs_->status() == QSettings::AccessError) {
    notice_ = "設定ファイル「" + path_ + "」を読み取れません。既定の設定を使います。";
    return;
  }
  if (qs_->status() != QSettings::FormatError && !LooksBroken(file)) return;

  // Set the file aside under a new name and start from the defaults.
  qs_.reset();
  const QString stamp = QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss");
  QString aside = file + QStringLiteral(".broken-") + stamp;
  for (int n = 2; QFileInfo::exists(aside); ++n) {
    aside = file + QStringLiteral(".broken-") + stamp + QStringLiteral("-") + QString::number(n);
  }
  if (QFile::rename(file, aside)) {
    notice_ = "設定ファイル「" + path_ + "」は壊れていて読み取れないため、「" + ToPlatform(aside) +
              "」として残しました。既定の設定を使います。";
  } else {
    notice_ = "設定ファイル「" + path_ +
              "」は壊れていて読み取れません。別の名前にすることもできなかったため、既定の設定を使い"
              "ます。";
  }
  qs_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
}

std::string SettingsStore::TakeNotice() {
  std::string notice;
  notice.swap(notice_);
  return notice;
}

bool SettingsStore::OpenKey(std::string_view path, bool create) {
  const QString group = GroupOf(path);
  bool exists = group.isEmpty();
  {
    std::lock_guard lock(g_created_mutex);
    auto& created = CreatedKeys()[path_];
    if (!exists) exists = created.count(group) != 0;
    if (!exists) {
      qs_->beginGroup(group);
      exists = !qs_->childKeys().isEmpty() || !qs_->childGroups().isEmpty();
      qs_->endGroup();
    }
    if (!exists && create) {
      // Remember the key and its parents.
      for (qsizetype i = 0; (i = group.indexOf(u'/', i)) >= 0; ++i) created.insert(group.left(i));
      created.insert(group);
      exists = true;
    }
  }
  key_open_ = exists;
  group_ = exists ? group.toStdString() : std::string();
  return exists;
}

void SettingsStore::CloseKey() {
  key_open_ = false;
  group_.clear();
}

QString SettingsStore::FullName(std::string_view name) const {
  const QString n = cp932::Decode(name);
  return group_.empty() ? n : QString::fromStdString(group_) + u'/' + n;
}

bool SettingsStore::ValueExists(std::string_view name) const {
  return key_open_ && qs_->contains(FullName(name));
}

std::string SettingsStore::ReadString(std::string_view name, std::string_view def) const {
  QString text;
  if (!key_open_ || !TextOf(qs_->value(FullName(name)), &text)) return std::string(def);
  return cp932::EncodeReplacing(text);
}

int SettingsStore::ReadInteger(std::string_view name, int def) const {
  int n = def;
  if (!key_open_ || !IntegerOf(qs_->value(FullName(name)), &n)) return def;
  return n;
}

bool SettingsStore::ReadBool(std::string_view name, bool def) const {
  int n = 0;
  if (!key_open_ || !IntegerOf(qs_->value(FullName(name)), &n)) return def;
  return n != 0;
}

double SettingsStore::ReadFloat(std::string_view name, double def) const {
  if (!key_open_) return def;
  const QVariant v = qs_->value(FullName(name));
  if (v.typeId() != QMetaType::QByteArray) return def;
  const QByteArray bytes = v.toByteArray();
  if (bytes.size() != 8) return def;
  return std::bit_cast<double>(qFromLittleEndian<quint64>(bytes.constData()));
}

std::vector<std::string> SettingsStore::ReadStringList(std::string_view name) const {
  return ReadStringList(name, {});
}

std::vector<std::string> SettingsStore::ReadStringList(std::string_view name,
                                                       const std::vector<std::string>& def) const {
  QString text;
  if (!key_open_ || !TextOf(qs_->value(FullName(name)), &text)) return def;
  return SplitStringList(cp932::EncodeReplacing(text));
}

void SettingsStore::WriteString(std::string_view name, std::string_view value) {
  if (key_open_) qs_->setValue(FullName(name), cp932::Decode(value));
}

void SettingsStore::WriteInteger(std::string_view name, int value) {
  if (key_open_) qs_->setValue(FullName(name), value);
}

void SettingsStore::WriteBool(std::string_view name, bool value) {
  WriteInteger(name, value ? 1 : 0);
}

void SettingsStore::WriteFloat(std::string_view name, double value) {
  if (!key_open_) return;
  QByteArray bytes(8, '\0');
  qToLittleEndian<quint64>(std::bit_cast<quint64>(value), bytes.data());
  qs_->setValue(FullName(name), bytes);
}

void SettingsStore::WriteStringList(std::string_view name, const std::vector<std::string>& lines) {
  WriteString(name, JoinStringList(lines));
}

Status SettingsStore::Sync() {
  qs_->sync();
  if (qs_->status() == QSettings::NoError) return Status::Ok();
  return Status::Error("設定ファイル「" + path_ + "」に書き込めませんでした。");
}

std::string PerFileKeyName(std::string_view page_file_path) {
  // The last component: after the last "/", "\" or ":" that is a character of its own (0x5C may
  // be the trail byte of a double-byte character).
  size_t start = 0;
  for (size_t pos = 0; pos < page_file_path.size();) {
    const size_t len = sjis::CharLen(page_file_path, pos);
    const char c = page_file_path[pos];
    pos += len;
    if (len == 1 && (c == '/' || c == '\\' || c == ':')) start = pos;
  }
  return sjis::HankakuToUpperLowerCase(page_file_path.substr(start), 1);
}

std::string PerFileKeyPath(std::string_view page_file_path) {
  return std::string(kRootKey) + "\\" + PerFileKeyName(page_file_path);
}

std::string JoinStringList(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

std::vector<std::string> SplitStringList(std::string_view value) {
  // A line ends at CR LF, CR or LF; a break at the very end does not start another line.  CP932
  // trail bytes are never CR or LF, so the bytes can be split as they are.
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < value.size()) {
    size_t end = value.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = value.size();
    lines.emplace_back(value.substr(pos, end - pos));
    pos = end;
    if (pos == value.size()) break;
    if (value[pos++] == '\r' && pos < value.size() && value[pos] == '\n') ++pos;
  }
  return lines;
}

}  // namespace sk::settings
