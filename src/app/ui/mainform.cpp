// Construction, start-up, activation and shutdown of the main window.
#include "app/ui/mainform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QTranslator>
#include <cstring>
#include <QWindow>

#include "app/shell_logic.h"
#include "app/ui/about_box.h"
#include "app/ui/command_controllers.h"
#include "app/ui/window_commands.h"
#include "browse/ui/browse_command_table.h"
#include "exchange/ui/exchange_command_table.h"
#include "print/ui/print_command_table.h"
#include "print/ui/print_render.h"
#include "images/ui/images_command_table.h"
#include "search/ui/search_command_table.h"
#include "app/ui/images_host.h"
#include "app/ui/keeper_host.h"
#include "shell/prompter.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "convert/cp932.h"
#include "editor/ui/field_edit.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"
#include "images/ui/image_side.h"
#include "search/ui/search_controller.h"
#include "store/ui/page_file_keeper.h"

namespace sk::app {

QString Q(std::string_view cp932) { return cp932::Decode(cp932); }

std::string B(const QString& text) { return cp932::EncodeReplacing(text); }

// Corrections of Qt's Japanese translation: the key names it misspells in shortcut texts
// ("Alt+Backspae" in the Edit menu).  Asked before Qt's own, it answers only for these.
class ShortcutTextFixes : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source, const char* disambiguation,
                    int n) const override {
    (void)disambiguation;
    (void)n;
    if (context && source && std::strcmp(context, "QShortcut") == 0 &&
        std::strcmp(source, "Backspace") == 0)
      return QStringLiteral("Backspace");
    return {};
  }
};

void InstallJapaneseTranslations() {
  static bool done = false;
  if (done || !QCoreApplication::instance()) return;
  done = true;
  // Qt's own texts (message box buttons, the file dialog, the calendar) in Japanese.
  auto* qt = new QTranslator(QCoreApplication::instance());
  if (qt->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
               QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(qt);
  else
    delete qt;
  QCoreApplication::installTranslator(new ShortcutTextFixes(QCoreApplication::instance()));
}

TSDIAppForm::TSDIAppForm(shell::Prompter& prompter, QStringList args, QWidget* parent)
    : QMainWindow(parent), prompter_(prompter) {
  Args = std::move(args);
  // Dates, day names and the calendar of every widget made from here on are Japanese.
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  InstallJapaneseTranslations();
  print::InstallFontSubstitutions();
  setObjectName(QStringLiteral("SDIAppForm"));
  BuildRegions();
  BuildMenus();
  Images = std::make_unique<images::ImageSide>(*this, session_, ImageWidgetsOf(*this),
                                                MakeImagesHost(*this));
  Selector = std::make_unique<browse::PageSelector>(*this, session_);
  Nav = std::make_unique<browse::Navigator>(
      *this, session_, *Selector, *Images,
      browse::Navigator::Widgets{BunruiComboBox, TitleEdit, ChoshaEdit, DateEdit, DateTimePicker,
                                 RecNoLabel, TextMemo, ImageFileNameEdit, Image1Panel,
                                 Image2Panel});
  Selector->SetNavigator(*Nav);
  Keeper = std::make_unique<store::PageFileKeeper>(*this, session_, *Nav, *Selector, *Images,
                                                   *TextMemo, MakeKeeperHost(*this));
  session_.OnFolderChanged([this](const QString& dir) { Images->SetPageFileDir(dir); });
  FormCreate();
  ConstructRest();
  AboutBox = new TAboutBox(this);
}

TSDIAppForm::~TSDIAppForm() {
  if (!closed_) FormClose();
}

// The header block of the settings: window, header fields and their font.
void TSDIAppForm::FormCreate() {
  Reg.OpenKey(settings::kRootKey, true);
  Conf.Read(Reg);
  FirstRun = Conf.first_run;

  StatusBar->setVisible(Conf.DisplayStatusBar == 0);

  QRect screen = QGuiApplication::primaryScreen()->geometry();
  WindowRect r = FitWindowToScreen({Conf.Left, Conf.Top, Conf.Width, Conf.Height}, screen.width(),
                                   screen.height());
  resize(r.width, r.height);
  move(r.left, r.top);
  if (Conf.TextImageWH < 0)
    Conf.TextImageWH = DeriveTextImageWH(Conf.TextImageLocation, r.width, r.height);

  Panel3->hide();  // the image side appears when a page is shown
  SetStatusText(1, QStringLiteral("挿入"));

  Panel1->setSizes({Conf.BunruiWidth, Conf.TitleWidth, Conf.ChoshaWidth, Conf.DateWidth,
                    std::max(1, r.width - Conf.BunruiWidth - Conf.TitleWidth - Conf.ChoshaWidth -
                                    Conf.DateWidth)});
  SetSmallWindowFont();
  SetSmallCaptionPanel();
  Reg.CloseKey();
}

void TSDIAppForm::ConstructRest() {
  FieldCaptions = {"\x95\xaa\x97\xde", "\x83\x5e\x83\x43\x83\x67\x83\x8b",
                   "\x83\x54\x83\x75\x83\x5e\x83\x43\x83\x67\x83\x8b", "\x93\xfa\x95\x74",
                   "\x89\xe6\x91\x9c\x83\x74\x83\x40\x83\x43\x83\x8b"};
  StartDir = QDir::currentPath();
  if (!StartDir.endsWith('/')) StartDir += '/';
  Images->SearchPath().SetStartDir(StartDir.toStdString());
  Images->SetImageDirList();
  ApplySettings();
  // The editor takes its layout values from the text font just set.
  commands_ = std::make_unique<CommandControllers>(*this);
  AddFileCommands(command_table_, *this);
  AddEditCommands(command_table_, *this, commands_->Editor(), *Nav);
  AddConvertCommands(command_table_, *this, commands_->Editor());
  browse::AddBrowseCommands(command_table_, *Nav, *Selector);
  images::AddImageCommands(command_table_, *Images);
  search::AddSearchCommands(command_table_, commands_->Search());
  exchange::AddExchangeCommands(command_table_, commands_->Exchange());
  print::AddPrintCommands(command_table_, commands_->Print());
  SetMenuEnabled(false);
  Nav->ResetBookmarkList();
  session_.SetDrawImagesOnMove(true);
  // Sticky notes live with the user's data rather than in the folder the program was started from.
  QString fusen = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  if (!fusen.isEmpty()) QDir().mkpath(fusen + QStringLiteral("/付箋"));
  FirstOpenDone = false;
  BaseCaption = QStringLiteral("SoraKumo");
  setWindowTitle(BaseCaption);

  // Characters the page file cannot hold: refused when typed, replaced when pasted, in the text
  // area and in the title and subtitle fields alike.
  auto refused = [this](const QString& ch) {
    ShowHint(QStringLiteral("「%1」(U+%2) はページに保存できない文字なので入力できません。")
                 .arg(ch, QString::number(ch.toUcs4().value(0), 16)
                              .toUpper()
                              .rightJustified(4, QLatin1Char('0'))));
  };
  auto replaced = [this](int count) {
    Message(QStringLiteral("ページに保存できない文字 %1 個を「〓」に置き換えて貼りつけました。")
                .arg(count));
  };
  connect(TextMemo, &editor::TextArea::CharRefused, this, refused);
  connect(TextMemo, &editor::TextArea::CharsReplaced, this, replaced);
  for (QLineEdit* e : {TitleEdit, ChoshaEdit}) {
    auto* field = static_cast<editor::FieldEdit*>(e);
    connect(field, &editor::FieldEdit::CharRefused, this, refused);
    connect(field, &editor::FieldEdit::CharsReplaced, this, replaced);
  }
}

void TSDIAppForm::FirstOpen() {
  if (!Args.isEmpty()) {
    if (!FirstOpenDone && !FileIsOpen()) {
      FirstOpenDone = true;
      session_.SetLastAccessed(Args.front());
      OpenWithoutDialog = true;
      OpenItemClick();
    }
  } else if (!FirstOpenDone && Conf.AutoOpenFile && !session_.LastAccessed().isEmpty() &&
             !FileIsOpen()) {
    FirstOpenDone = true;
    OpenWithoutDialog = true;
    OpenItemClick();
  } else {
    OpenWithoutDialog = false;
  }
  FirstOpenDone = true;
}

void TSDIAppForm::FormActivate() {
  if (!Activated) {
    Activated = true;
    if (FirstRun) {
      TextMemo->SetText(B(QString::fromStdString(WelcomeText()).replace('\n', "\r\n")));
      FirstRun = false;
    }
  }
  TextMemo->setFocus();
}

bool TSDIAppForm::event(QEvent* e) {
  if (e->type() == QEvent::StatusTip) {
    ShowHint(static_cast<QStatusTipEvent*>(e)->tip());
    return true;
  }
  bool r = QMainWindow::event(e);
  if (e->type() == QEvent::WindowActivate) FormActivate();
  return r;
}

// The automatic open runs once, right after the window first appears (with no window manager, or
// one that does not activate new windows, no activation may ever come).
void TSDIAppForm::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (!FirstOpenDone) QTimer::singleShot(0, this, [this] { FirstOpenWhenShown(50); });
}

// The window is on the screen and drawn before the first file opens (a backup or an index
// rebuild then shows its progress over it): the window system is waited for, a second at most.
void TSDIAppForm::FirstOpenWhenShown(int tries) {
  if (FirstOpenDone) return;
  if (tries > 0 && !(windowHandle() && windowHandle()->isExposed())) {
    QTimer::singleShot(20, this, [this, tries] { FirstOpenWhenShown(tries - 1); });
    return;
  }
  repaint();
  if (!Activated) FormActivate();
  FirstOpen();
}

void TSDIAppForm::closeEvent(QCloseEvent* e) {
  FormClose();
  e->accept();
}

void TSDIAppForm::FormClose() {
  if (closed_) return;
  closed_ = true;
  Nav->ResetBookmarkList();
  if (FileIsOpen()) ClosePageFile();
  WriteSettings();
}

void TSDIAppForm::WriteSettings() {
  QRect g = geometry();
  Conf.Top = pos().y();
  Conf.Left = pos().x();
  Conf.Height = g.height();
  Conf.Width = g.width();
  QList<int> sizes = Panel1->sizes();
  if (sizes.size() >= 4) {
    Conf.BunruiWidth = sizes[0];
    Conf.TitleWidth = sizes[1];
    Conf.ChoshaWidth = sizes[2];
    Conf.DateWidth = sizes[3];
  }
  Conf.OpenIME = TextMemo->HiraganaMode();
  Conf.LastAccessedDBFileName = B(session_.LastAccessed());
  Conf.ImageDir = Images->ImageDirValue();
  Reg.OpenKey(settings::kRootKey, true);
  Conf.Write(Reg);
  Reg.CloseKey();
  Status st = Reg.Sync();
  if (!st.ok()) prompter_.Error(QString::fromStdString(st.message()));
}

}  // namespace sk::app
