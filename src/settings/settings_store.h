// The per-user settings store: a tree of keys holding named, typed values.
//
// Realised on QSettings in INI format, one file per user:
//   $SORAKUMO_CONFIG_DIR/sorakumo.conf when that variable is set (tests), else
//   $XDG_CONFIG_HOME/sorakumo/sorakumo.conf (default ~/.config/sorakumo/sorakumo.conf).
// Key paths are written with backslashes ("\Software\sorakumo\Print"); the root key maps to the
// INI group "Software/sorakumo" and a subkey to a group below it.  Encodings: integers as
// decimal text, bools as 0 or 1, floats as the 8 bytes of an IEEE double, string lists as one
// string with CR LF after every line.  Names and string values are CP932 in the program and
// stored as Unicode text in the file.  A value of the wrong type reads as missing.
//
// Keys: INI has no empty groups, so a key exists in the file only while it holds a value or a
// subkey.  A key created by OpenKey(path, true) is remembered in memory for the rest of the process
// (for every store on the same file), so that a later OpenKey(path, false) finds it; nothing is
// written for it.  Key and value names are compared as written (case-sensitive).
//
// A file QSettings cannot parse (an unclosed "[section" line) or that cannot be a settings file at
// all (it holds NUL bytes or is not UTF-8) is renamed to "<file>.broken-YYYYMMDD-HHMMSS", the
// defaults apply, and TakeNotice() tells the user once.  QSettings writes through a temporary file
// and a rename, so the file on disk is always complete.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "convert/status.h"

class QSettings;
class QString;

namespace sk::settings {

inline constexpr std::string_view kRootKey = "\\Software\\sorakumo";

class SettingsStore {
 public:
  // file_path (a platform path, UTF-8) empty: the per-user default above.
  explicit SettingsStore(std::string file_path = {});
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  static std::string DefaultPath();
  const std::string& FilePath() const { return path_; }

  // A notice (UTF-8, Japanese) when the file could not be read and was set aside; given once.
  std::string TakeNotice();

  // Makes the key current.  With create a missing key is created; without it, opening a key
  // that holds no value and no subkey fails.  Returns whether the key is open.
  bool OpenKey(std::string_view path, bool create);
  void CloseKey();

  // Values of the open key.  With no key open, reads give the default and writes are dropped.
  bool ValueExists(std::string_view name) const;
  std::string ReadString(std::string_view name, std::string_view def = {}) const;
  int ReadInteger(std::string_view name, int def = 0) const;
  bool ReadBool(std::string_view name, bool def = false) const;
  double ReadFloat(std::string_view name, double def = 0.0) const;
  std::vector<std::string> ReadStringList(std::string_view name) const;  // missing: empty
  std::vector<std::string> ReadStringList(std::string_view name,
                                          const std::vector<std::string>& def) const;

  void WriteString(std::string_view name, std::string_view value);
  void WriteInteger(std::string_view name, int value);
  void WriteBool(std::string_view name, bool value);
  void WriteFloat(std::string_view name, double value);
  void WriteStringList(std::string_view name, const std::vector<std::string>& lines);

  // Writes pending changes to the file (the destructor does too); an error names the file.
  Status Sync();

 private:
  void CheckFile();
  QString FullName(std::string_view name) const;

  std::string path_;
  std::string notice_;
  std::unique_ptr<QSettings> qs_;
  bool key_open_ = false;
  std::string group_;  // the open key as a QSettings group (UTF-8), "" for the top
};

// The per-file subkey name: the page file's name without its folder, with every half-width
// letter lower-cased ("Diary.DBF" -> "diary.dbf").  Input and output are CP932.
std::string PerFileKeyName(std::string_view page_file_path);
// The full key path of that subkey: kRootKey + "\" + PerFileKeyName(path).
std::string PerFileKeyPath(std::string_view page_file_path);

// Joins and splits the CR LF string list encoding.
std::string JoinStringList(const std::vector<std::string>& lines);
std::vector<std::string> SplitStringList(std::string_view value);

}  // namespace sk::settings
