#include "app/shell_logic.h"

#include <algorithm>
#include <cmath>

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

int MaxWrapPixels(double cm, int ppi) { return int(std::lround(cm * ppi * 0.3937007874)); }

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
  return std::string(base) + "（" + UpperHankakuLetters(path) + "）";
}

bool HasExtension(std::string_view path, std::string_view ext) {
  if (ext.empty()) return true;
  size_t cut = path.find_last_of("/\\:");
  std::string name =
      LowerHankakuLetters(cut == std::string_view::npos ? path : path.substr(cut + 1));
  std::string tail = "." + LowerHankakuLetters(ext);
  return name.size() >= tail.size() &&
         name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
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
