#include "app/shell_logic.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace sk::app {

WindowRect FitWindowToScreen(WindowRect r, int screen_width, int screen_height) {
  if (screen_height < r.top + r.height) {
    r.top = 10;
    r.height = screen_height - 20;
  }
  if (screen_width < r.left + r.width) {
    r.left = 50;
    r.width = screen_width - 100;
  }
  return r;
}

int DeriveTextImageWH(int location, int w, int h) {
  switch (location) {
    case 0:
      return w * 107 / 165;
    case 1:
      return w * 58 / 165;
    case 2:
      return (h * 107 - 13482) / 165;
    case 3:
      return (h * 58 - 7308) / 165;
    default:
      return 0;
  }
}

int SmallFontHeight(int points, int ppi) { return -points * ppi / 72; }

int TextFontHeight(int points, int ppi) { return int(std::lround(-double(points) * ppi / 72.0)); }

int HeaderControlHeight(int font_height) { return std::max(21, 8 - font_height); }


std::string LowerHankakuLetters(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

std::string UpperHankakuLetters(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return out;
}

std::string WindowCaption(std::string_view base, std::string_view path) {
  return std::string(base) + "（" + std::string(path) + "）";
}

bool HasExtension(std::string_view path, std::string_view ext) {
  if (ext.empty()) return true;
  size_t cut = path.find_last_of("/\\:");
  std::string name =
      LowerHankakuLetters(cut == std::string_view::npos ? path : path.substr(cut + 1));
  std::string tail(1, '.');
  tail += LowerHankakuLetters(ext);
  return name.size() >= tail.size() &&
         name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
}

std::string WhyNotOpenable(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return "そのファイルは存在しません。";
    if (errno == EACCES) return "そのファイルのあるフォルダに入る権限がありません。";
    return "ファイルの情報を読めません（" + std::string(strerror(errno)) + "）。";
  }
  if (S_ISDIR(st.st_mode)) return "それはフォルダで，ページファイルではありません。";
  if (!S_ISREG(st.st_mode)) return "それは通常のファイルではありません。";
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == EACCES || errno == EPERM) return "そのファイルを読む権限がありません。";
    return "ファイルを開けません（" + std::string(strerror(errno)) + "）。";
  }
  std::string reason;
  if (flock(fd, LOCK_SH | LOCK_NB) != 0) {
    reason = errno == EWOULDBLOCK
                 ? "このプログラムまたは他のプログラムがすでに開いています。"
                 : "ファイルをロックできません（" + std::string(strerror(errno)) + "）。";
  } else {
    // The first byte of a dBASE table names its version; anything else is some other file.
    unsigned char head[32];
    ssize_t n = ::pread(fd, head, sizeof head, 0);
    if (n < 0)
      reason = "ファイルを読めません（" + std::string(strerror(errno)) + "）。";
    else if (n < ssize_t(sizeof head) ||
             (head[0] != 0x03 && head[0] != 0x04 && head[0] != 0x83 && head[0] != 0x8B))
      reason = "dBASE のファイル（ページファイル）ではありません。";
  }
  ::close(fd);
  return reason;
}

std::string WelcomeText() {
  return std::string("\n☆☆☆ そらくも帖へようこそ ☆☆☆\n\n") +
         "お使いになる手始めに，まずサンプルファイルを開いてみてください。サンプルファイルは，" +
         "「そらくも」をインストールしたディレクトリに作られています。ファイル名は Sample.dbf "
         "です。\n\n" +
         "ツールバーの左端にあるボタンをクリックして，Sample.dbf を開いてください。\n\n" +
         "使い方の詳細については，ヘルプをご参照下さい。\n\n" +
         "なお，このメッセージは最初の１回しか表示されません。";
}

}  // namespace sk::app
