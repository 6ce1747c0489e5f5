// The program-wide values of the main window, kept under the root key of the settings store.
//
// Read at start-up (the header-field block first, then the text and program block) and written
// at shutdown.  Member names are the value names in the store.  Strings are CP932 bytes.
#pragma once

#include <string>
#include <vector>

#include "settings/settings_store.h"

namespace sk::settings {

struct MainWindowSettings {
  // Window and header fields.
  int DisplayStatusBar = 0;  // 0 shows the status bar
  int Top = 10;
  int Left = 130;
  int Height = 748;
  int Width = 650;
  int TextImageLocation = 2;
  int TextImageWH = -1;  // negative: not stored; the window derives it from its size
  int ImageForm = 2;
  int BunruiWidth = 83;
  int TitleWidth = 146;
  int ChoshaWidth = 146;
  int DateWidth = 119;
  bool SmallCaptionDisp = true;
  std::string SmallWindowFontName = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";
  int SmallWindowFontSize = 10;
  int SmallWindowFontColor = 0;
  int SmallWindowFontStyle = 0;

  // Text area and program behaviour.
  std::string FontName = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";
  int TextFontSizeB = 10;
  int FontColor = 0;
  int FontStyle = 0;
  int TextBackColor = 0xFFFFFF;
  int ImageBackColor = 0xE9DFD6;
  std::string LastAccessedDBFileName;
  std::string LastAccessedTxtFileName;
  std::string RecentOpenedImageFileName;
  std::string RecentOpenedImageFileDir;
  std::string RecentOpenedTextFileName;
  std::string RecentOpenedDBFAppendFileName;
  int VScrollBarMode = 0;
  int WordWrapMode = 0;
  std::string TextFileWildCard = "*.txt;*.htm*;*.tex";
  int TopMargin = 5;
  int LeftMargin = 20;
  int RightMargin = 20;
  double MaxOrikaeshiHabaCm = 0.0;
  bool ItemizeMode = false;
  std::string ItemChar =
      "\x81\x9c\x81\x9b\x81\x9d\x81\x9a\x81\x99\x81\x9f\x81\x9e\x81\xa1\x81\xa0\x81\xa3\x81\xa2"
      "\x81\xa5\x81\xa4\x81\x45\x87\x40\x87\x41\x87\x42\x87\x43\x87\x44\x87\x45\x87\x46\x87\x47"
      "\x87\x48";
  int ItemIndent = 2;
  int MiddleSkipPageCount = 10;
  int TabCount = 2;
  bool AskOverWrite = true;
  int ParIndent = 0;
  int CurSorPosAfterPaste = 0;
  int NotFoundMode = 0;
  bool DispMemorialDay = true;
  int ColorOfMemorialDay = 0x0000FF;
  std::vector<std::string> HLComment = {"//", "%"};
  std::vector<std::string> HLKakko = {"<>"};
  std::vector<std::string> HLCommand = {"\\", "#"};
  std::vector<std::string> HLKeyWordA;
  std::vector<std::string> HLKeyWordB;
  std::vector<std::string> HLKeyWordKanA = {"\x81\x9c"};
  std::vector<std::string> HLKeyWordKanB = {"\x82\xbb\x82\xe7\x82\xad\x82\xe0"};
  std::vector<std::string> HLKeyWordKigoA;
  std::vector<std::string> HLKeyWordKigoB;
  int HLCommentStyle = 0;
  int HLKakkoStyle = 0;
  int HLCommandStyle = 0;
  int HLKeyWordAStyle = 0;
  int HLKeyWordBStyle = 0;
  int HLCommentColor = 0;
  int HLKakkoColor = 0;
  int HLCommandColor = 0;
  int HLKeyWordAColor = 0xFF0000;
  int HLKeyWordBColor = 0x0000FF;
  int HighLight = 1;
  bool UnselectAfterCopy = false;
  bool DeleteSelectedStr = false;
  std::string AddPageMode = "0000000";
  bool OpenIME = false;
  bool BackUp = true;
  bool DoGazoRefresh = false;
  int GazoRefreshInterval = 2000;
  bool FusenAutoRead = true;
  bool URLMail = true;
  bool AutoOpenFile = false;
  int BackUpDeapth = 3;          // 1..9
  int OpenCountOfFileSlim = 10;  // 0 reads as 10
  bool HideImageArea = false;
  int TypeOfDateForTextOutput = 1;

  // The image search folders, ";"-separated, a final "*" taking in every folder below; written
  // back at shutdown from the folders in use (CP932).
  std::string ImageDir;

  // True when the store held no window position (Top): the program runs for the first time.
  bool first_run = false;

  bool operator==(const MainWindowSettings&) const = default;

  // Replaces every member by the stored value or its default.
  void Read(SettingsStore& store);
  // Writes every value above to the root key.
  void Write(SettingsStore& store) const;
};

}  // namespace sk::settings
