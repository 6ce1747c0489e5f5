// Commands: the menus, popups and toolbar built from the command table, their enabling and the
// captions that follow the open file's field names.
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <set>
#include <unordered_map>

#include "app/captions.h"
#include "app/menu_table.h"
#include "app/ui/command_controllers.h"
#include "app/ui/window_commands.h"
#include "app/ui/icons.h"
#include "app/ui/mainform.h"
#include "convert/cp932.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"
#include "exchange/ui/exchange_controller.h"
#include "images/ui/image_side.h"
#include "shell/command_table.h"

namespace sk::app {

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }
QString U(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

void AddFileCommands(shell::CommandTable& table, TSDIAppForm& f) {
  using W = TSDIAppForm;
  const shell::CommandTable::Method<W> commands[] = {
      {"OpenItemClick", &W::OpenItemClick},
      {"OpenBtnClick", &W::OpenBtnClick},
      {"NewItemClick", &W::NewItemClick},
      {"SaveItemClick", &W::SaveItemClick},
      {"SaveCloseItemClick", &W::SaveCloseItemClick},
      {"SlimItemClick", &W::SlimItemClick},
      {"RenameItemClick", &W::RenameItemClick},
      {"ExitItemClick", &W::ExitItemClick},
      {"AboutItemClick", &W::AboutItemClick},
  };
  table.AddMethods(f, commands);
}

void TSDIAppForm::RunHandler(const std::string& handler) { command_table_.Run(handler); }

QMenu* TSDIAppForm::MakePopup(const char* name, int root) {
  auto* popup = new QMenu(this);
  popup->setObjectName(QString::fromLatin1(name));
  menus_[name] = popup;
  std::map<std::string, QActionGroup*> groups;
  std::set<std::string_view> parents;
  for (const MenuItemDef& d : MenuItems(MenuRoot(root))) parents.insert(d.parent);
  for (const MenuItemDef& d : MenuItems(MenuRoot(root))) {
    QMenu* parent = d.parent[0] ? menus_.at(d.parent) : popup;
    if (d.separator_before) parent->addSeparator();
    bool is_menu = parents.count(d.name) > 0;
    QAction* a;
    if (is_menu) {
      QMenu* m = parent->addMenu(U(d.caption));
      m->setObjectName(QString::fromLatin1(d.name));
      menus_[d.name] = m;
      a = m->menuAction();
    } else {
      a = parent->addAction(U(d.caption));
      std::string handler = d.handler;
      connect(a, &QAction::triggered, this, [this, handler] { RunHandler(handler); });
      if (d.shortcut[0]) {
        a->setShortcut(QKeySequence(QString::fromLatin1(d.shortcut)));
        // Popup items show their keys; the main menu's items carry them.
        if (root != int(MenuRoot::Main)) a->setShortcutContext(Qt::WidgetShortcut);
      }
    }
    a->setObjectName(QString::fromLatin1(d.name));
    if (d.hint[0]) a->setStatusTip(U(d.hint));
    if (d.group[0]) {
      std::string key = std::string(d.parent) + "/" + d.group;
      QActionGroup*& g = groups[key];
      if (!g) g = new QActionGroup(parent);
      a->setCheckable(true);
      g->addAction(a);
    }
    actions_[d.name] = a;
  }
  return popup;
}

void TSDIAppForm::BuildMenus() {
  // The main menu: its top-level entries become the menu bar.
  QMenu* holder = MakePopup("MainMenu", int(MenuRoot::Main));
  for (QAction* a : holder->actions()) menuBar()->addAction(a);
  TextPopupMenu = MakePopup("TextPopupMenu", int(MenuRoot::TextPopup));
  ImageAPopUpMenu = MakePopup("ImageAPopUpMenu", int(MenuRoot::ImageAPopup));
  ImageBPopUpMenu = MakePopup("ImageBPopUpMenu", int(MenuRoot::ImageBPopup));
  if (QMenu* m = Menu("FileMenu"))
    connect(m, &QMenu::aboutToShow, this, [this] { FileMenuClick(); });
  if (QMenu* m = Menu("EditMenu"))
    connect(m, &QMenu::aboutToShow, this, [this] { EditMenuClick(); });
  connect(TextPopupMenu, &QMenu::aboutToShow, this, [this] { TextPopupMenuPopup(); });
  TextMemo->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(TextMemo, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { TextPopupMenu->popup(TextMemo->mapToGlobal(p)); });
  // An area's popup opens once something has been shown in it.
  connect(Image1Panel, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    if (Images->PopupAllowed(0)) ImageAPopUpMenu->popup(Image1Panel->mapToGlobal(p));
  });
  connect(Image2Panel, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    if (Images->PopupAllowed(1)) ImageBPopUpMenu->popup(Image2Panel->mapToGlobal(p));
  });
  connect(ImageAPopUpMenu, &QMenu::aboutToShow, this, [this] { Images->ImageAPopUpMenuPopup(); });
  connect(ImageBPopUpMenu, &QMenu::aboutToShow, this, [this] { Images->ImageBPopUpMenuPopup(); });
  if (QMenu* m = Menu("ImageMenu"))
    connect(m, &QMenu::aboutToShow, this, [this] { Images->ImageMenuClick(); });
  BuildToolbar();
}

void TSDIAppForm::BuildToolbar() {
  for (const ToolButtonDef& d : ToolbarButtons()) {
    auto* b = new QToolButton(SpeedPanel);
    b->setObjectName(QString::fromLatin1(d.name));
    b->setAutoRaise(true);
    b->setToolTip(U(ToolButtonHint(d)));
    b->setStatusTip(U(ToolButtonHint(d)));
    b->setIcon(ToolbarIcon(QString::fromLatin1(d.name)));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setFixedSize(24, 22);
    std::string handler = d.handler;
    connect(b, &QToolButton::clicked, this, [this, handler] { RunHandler(handler); });
    SpeedPanel->addWidget(b);
    tool_buttons_[d.name] = b;
  }
  MemorialLabel = new QLabel;
  MemorialLabel->setObjectName(QStringLiteral("MemorialLabel"));
  SpeedPanel->addWidget(MemorialLabel);
}

QAction* TSDIAppForm::Action(std::string_view name) const {
  auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second;
}

QMenu* TSDIAppForm::Menu(std::string_view name) const {
  auto it = menus_.find(name);
  return it == menus_.end() ? nullptr : it->second;
}

QToolButton* TSDIAppForm::ToolButton(std::string_view name) const {
  auto it = tool_buttons_.find(name);
  return it == tool_buttons_.end() ? nullptr : it->second;
}

void TSDIAppForm::ApplyCaptionChanges(const std::vector<CaptionChange>& changes) {
  for (const CaptionChange& c : changes) {
    if (QAction* a = Action(c.target)) {
      if (c.caption) a->setText(U(*c.caption));
      if (c.hint) a->setStatusTip(U(*c.hint));
      continue;
    }
    if (QToolButton* b = ToolButton(c.target)) {
      if (c.hint) {
        b->setToolTip(U(*c.hint));
        b->setStatusTip(U(*c.hint));
      }
      continue;
    }
    QWidget* w = findChild<QWidget*>(U(c.target));
    if (!w) continue;
    if (c.caption)
      if (auto* l = qobject_cast<QLabel*>(w)) l->setText(U(*c.caption));
    if (c.hint) {
      w->setStatusTip(U(*c.hint));
      w->setToolTip(U(*c.hint));
    }
  }
}

void TSDIAppForm::ApplyMiddleSkipCaptions() {
  ApplyCaptionChanges(MiddleSkipCaptions(Conf.MiddleSkipPageCount));
}

void TSDIAppForm::SetMenuEnabled(bool enabled) {
  for (MenuRoot root :
       {MenuRoot::Main, MenuRoot::TextPopup, MenuRoot::ImageAPopup, MenuRoot::ImageBPopup})
    for (const MenuItemDef& d : MenuItems(root))
      if (d.file_dependent)
        if (QAction* a = Action(d.name)) a->setEnabled(enabled);
  DateTimePicker->setEnabled(enabled);
  // Without a page file there is nowhere to keep what would be typed.
  TextMemo->setReadOnly(!enabled);
  TitleEdit->setReadOnly(!enabled);
  ChoshaEdit->setReadOnly(!enabled);
  BunruiComboBox->setEnabled(enabled);
}

void TSDIAppForm::SetCaption() {
  Reg.OpenKey(settings::PerFileKeyPath(B(session_.Name())), true);
  bool exists = Reg.ValueExists("Caption");
  std::vector<std::string> stored;
  if (exists) stored = Reg.ReadStringList("Caption");
  std::vector<std::string> utf8;
  for (const std::string& s : stored) utf8.push_back(cp932::ToUtf8(s));
  bool write_back = false;
  std::vector<std::string> captions = FieldCaptionsFromStored(utf8, exists, &write_back);
  FieldCaptions.clear();
  for (const std::string& c : captions) FieldCaptions.push_back(B(U(c)));
  if (write_back) Reg.WriteStringList("Caption", FieldCaptions);
  Reg.CloseKey();
  SetCaptionIzonKomoku();
}

void TSDIAppForm::SetCaptionIzonKomoku() {
  ApplyCaptionChanges(FieldDependentCaptions(FieldCaptionsUtf8(), Labels[4]->text().toStdString()));
}

void TSDIAppForm::FileMenuClick() {
  ApplyCaptionChanges(FileMenuCaptions(commands_->Exchange().LastExportKind()));
  if (QAction* a = Action("FileOutPutItem"))
    a->setEnabled(FileOutPutEnabled(commands_->Exchange().LastExportKind()));
}

void TSDIAppForm::EditMenuClick() {
  if (!FileIsOpen()) return;
  if (session_.FocusedArea() == 4) {
    session_.SetFocusedArea(3);
    TextMemo->setFocus();
  }
  Action("TextSelectAllItem")->setEnabled(TextMemo->hasFocus());
  bool selection = false;
  if (session_.FocusedArea() == 1)
    selection = TitleEdit->hasSelectedText();
  else if (session_.FocusedArea() == 2)
    selection = ChoshaEdit->hasSelectedText();
  else if (session_.FocusedArea() == 3)
    selection = TextMemo->SelLength() > 0;
  bool text_area = session_.FocusedArea() >= 1 && session_.FocusedArea() <= 3;
  const QMimeData* clip = QApplication::clipboard()->mimeData();
  bool clip_text = clip && clip->hasText();
  for (const char* n : {"TextCopyItem", "TextCutItem", "TextDeleteItem"})
    Action(n)->setEnabled(text_area && selection);
  Action("TextPasteItem")->setEnabled(text_area && clip_text);
  bool text_selection = TextMemo->SelLength() > 0;
  for (const char* n :
       {"UpperLowerItem", "KisuhoItem", "ZenkakuHankakuHenkanItem", "KanArabiaHenkanItem"})
    Action(n)->setEnabled(text_selection);
  ApplyCaptionChanges(EditMenuSelectionCaptions(text_selection));
  // The sticky note is never on show: its item offers to show it.
  Action("FusenItem")->setText(U(FusenItemCaption(false)));
}

void TSDIAppForm::TextPopupMenuPopup() {
  bool selection = TextMemo->SelLength() > 0;
  ApplyCaptionChanges(TextPopupCaptions(FieldCaptionsUtf8(), selection));
  for (const char* n : {"CopyPopUpItem", "CutPopUpItem", "PopUpDeleteItem", "PopUpPasteToTitleItem",
                        "PopUpPasteToSubtitleItem"})
    Action(n)->setEnabled(selection);
  Action("PopUpFusenItem")->setText(U(PopUpFusenCaption(false)));
}

}  // namespace sk::app
