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
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QSettings;

namespace sk::settings {

inline constexpr std::string_view kRootKey = "\\Software\\sorakumo";

class SettingsStore {
 public:
  // file_path empty: the per-user default above.
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

  bool ValueExists(std::string_view name) const;
  std::string ReadString(std::string_view name, std::string_view def = {}) const;
  int ReadInteger(std::string_view name, int def = 0) const;
  bool ReadBool(std::string_view name, bool def = false) const;
  double ReadFloat(std::string_view name, double def = 0.0) const;
  std::vector<std::string> ReadStringList(std::string_view name) const;  // missing: empty

  void WriteString(std::string_view name, std::string_view value);
  void WriteInteger(std::string_view name, int value);
  void WriteBool(std::string_view name, bool value);
  void WriteFloat(std::string_view name, double value);
  void WriteStringList(std::string_view name, const std::vector<std::string>& lines);

  void Sync();

 private:
  std::string path_;
  std::string notice_;
  std::unique_ptr<QSettings> qs_;
  bool key_open_ = false;
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
