// Rules of the main window that need no widgets: window placement, the text/image split, sizes
// derived from fonts, the window caption, file-name tests and the first-run welcome text.
// Strings here are UTF-8 (window texts and platform paths).
#pragma once

#include <string>
#include <string_view>

namespace sk::app {

struct WindowRect {
  int left = 130, top = 10, width = 650, height = 748;
  bool operator==(const WindowRect&) const = default;
};

// Pulls a stored window back onto a screen of the given size: too tall -> top 10 and
// height screen - 20; too wide -> left 50 and width screen - 100.
WindowRect FitWindowToScreen(WindowRect r, int screen_width, int screen_height);

// The size of the text side (locations 0, 2) or image side (1, 3) when none was stored, from the
// window size; 0 for text only (4) and unknown locations.
int DeriveTextImageWH(int location, int window_width, int window_height);

// Pixel height of a font given in points, as a negative number (the header font: truncated
// towards zero; the text font: rounded).
int SmallFontHeight(int points, int pixels_per_inch);
int TextFontHeight(int points, int pixels_per_inch);
// Height of the header controls for a header font height (negative for a point size).
int HeaderControlHeight(int font_height);

// "BaseCaption（PATH）", the path as it is: file names are case-sensitive here, so an upper-cased
// path would name a file that does not exist.
std::string WindowCaption(std::string_view base, std::string_view path);
// Half-width letters of a UTF-8 string to lower or upper case; everything else unchanged.
std::string LowerHankakuLetters(std::string_view s);
std::string UpperHankakuLetters(std::string_view s);

// True when the file name part of path (after the last "/", "\" or ":") ends in "." + ext,
// compared without regard to the case of half-width letters.  An empty ext always matches.
bool HasExtension(std::string_view path, std::string_view ext);

// Why the page file at path cannot be opened, in Japanese for the user: missing, a folder, not
// readable, held by a program (a shared lock cannot be had) or not a dBASE table.  Empty when it
// can be opened.
std::string WhyNotOpenable(const std::string& path);

// The text shown in the text area at the very first start.
std::string WelcomeText();

}  // namespace sk::app
