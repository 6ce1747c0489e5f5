// The replace: the dialog, the run over the current page or the selected pages, and the four
// buttons that resume a run waiting at a hit.
//
// The page's text is taken from its TEXT field (the text area's edits are written there first),
// changed in memory and written back before the page is shown or left; the text area shows the
// result when the page is shown again.  A run within one page records each replacement for undo.
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <optional>

#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "convert/cp932.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"
#include "images/ui/image_side.h"
#include "search/find_history.h"
#include "search/ui/replace_form.h"
#include "search/ui/search_controller.h"
#include "settings/settings_store.h"
#include "shell/busy_progress.h"
#include "shell/page_file_session.h"
#include "shell/prompter.h"
#include "shell/shell_services.h"

namespace sk::search {

namespace {

struct ReplaceButtonLook {
  const char* name;
  const char* caption;
  const char* hint;
  const char* color;
};

constexpr ReplaceButtonLook kButtons[4] = {
    {"ReplaceButton", "置換して次へ", "反転表示の文字列を置換し，次を検索", "#008000"},
    {"NotReplaceButton", "置換せず次へ", "反転表示の文字列は置換せず，次を検索", "#a08000"},
    {"ReplaceAllButton", "一気に置換", "反転表示の文字列以降を確認なしに置換", "#0000c0"},
    {"AbortButton", "中止", "置換作業を中止", "#c00000"},
};

// The menus that are off while a run waits at a hit.
constexpr const char* kMenusOff[] = {"FileMenu",  "EditMenu", "FindMenu",
                                     "TableMenu", "ViewMenu", "ImageMenu"};

}  // namespace

void SearchController::ReplaceButtonClick(int code) {
  if (!replace_waiting_) return;
  ReplaceButtonCode = code;
  ReplaceResumed = true;
  ReplaceItemClick();
}

void SearchController::ReplaceItemClick() {
  if (!session_.IsOpen()) return;
  session_.SetDrawImagesOnMove(true);
  if (ReplaceResumed) {
    if (!replace_waiting_) {
      ReplaceResumed = false;
      return;
    }
  } else {
    if (replace_waiting_ || !StartReplace()) return;
  }
  ReplaceLoop();
}

std::string SearchController::PageText() const { return session_.table().FieldString("TEXT"); }

bool SearchController::StartReplace() {
  TReplaceForm& d = ReplaceForm();
  settings::SettingsStore& reg = shell_.reg();
  reg.OpenKey(settings::kRootKey, true);
  std::vector<std::string> from_history = reg.ReadStringList("KensakuText");
  std::vector<std::string> to_history = reg.ReadStringList("ChikanText");
  reg.CloseKey();
  d.FormActivate(from_history, to_history);
  if (!shell_.prompter().RunDialog(d)) return false;
  const QString from = d.From(), to = d.To();
  reg.OpenKey(settings::kRootKey, true);
  reg.WriteStringList("KensakuText",
                      PushHistory(std::move(from_history), cp932::EncodeReplacing(from)));
  reg.WriteStringList("ChikanText", PushHistory(std::move(to_history), cp932::EncodeReplacing(to)));
  reg.CloseKey();
  ReplaceOnePage = d.OnePageRadioButton->isChecked();
  if (!ReplaceOnePage &&
      !shell_.prompter().OkCancel(
          QStringLiteral("複数のページで置換を実行しようとしています"),
          QStringLiteral(
              "現在選択されている全てのページが置換対象になります。\n\n"
              "複数ページで置換をすると，やり直し操作が無効になります。\n\n"
              "それでもよろしければＯＫを，中止する場合はキャンセルをクリックしてください。")))
    return false;
  // A replacement the page file cannot hold would be stored damaged: refused before anything
  // changes.  A search string it cannot hold occurs nowhere.
  char32_t bad = 0;
  if (!cp932::Encode(to, &ReplaceTo, &bad)) {
    shell_.Message(QStringLiteral("置換文字列の「") + QString::fromUcs4(&bad, 1) +
                   QStringLiteral("」はページに保存できない文字なので，置換できません。"));
    return false;
  }
  from_encodable_ = cp932::Encode(from, &ReplaceFrom);
  ReplaceMatchCase = d.MatchCaseCheckBox->isChecked();
  ReplaceConfirm = d.KakuninCheckBox->isChecked();
  ReplaceFromTop = d.FromTopToDownRadioButton->isChecked();
  ReplaceUpward = d.ToTopRadioButton->isChecked();

  store::Table& t = session_.table();
  ReplaceOnlyStartPage = true;
  ReplaceCount = 0;
  ReplaceLastHitPage = t.RecNo();
  ReplaceLastPos = size_t(w_.text->SelStart());
  ReplaceStartSelLength = w_.text->SelLength();
  ReplaceStartLeft = !ReplaceOnePage && !selector_.CheckPageSelectedBeforePost();
  ReplaceEndLeft = ReplaceStartLeft;
  nav_.BeforeMove();
  ReplaceStartPage = t.RecNo();
  replace_walk_done_ = false;
  if (ReplaceOnePage) {
    replace_first_image_ = images_.ImageNum();
    ReplacePos = ReplaceFromTop ? 0 : ReplaceLastPos;
  } else {
    images_.DeleteImage(0);
    nav_.ResetLink();
    ReplacePos = 0;
    replace_walk_done_ = t.IsEmpty();
    if (ReplaceFromTop) {
      shell_.Report(t.First());
    } else if (ReplaceStartLeft) {
      // The start page stays current outside the selection: the run begins on its neighbour.
      shell_.Report(ReplaceUpward ? t.Prior() : t.Next());
      if (ReplaceUpward ? t.Bof() : t.Eof()) replace_walk_done_ = true;
    }
  }
  nav_.SetReplacingWithConfirmation(ReplaceConfirm);
  // Within one page the run goes the chosen way; across pages each page from its top.
  replace_downward_ = !ReplaceOnePage || !ReplaceUpward;
  replace_page_ = t.RecNo();
  replace_text_ = ReplaceText(replace_walk_done_ ? std::string() : PageText(), replace_downward_);
  return true;
}

bool SearchController::InRecordFind() {
  if (!from_encodable_ || replace_walk_done_) return false;
  const size_t p = replace_text_.FindNext(ReplaceFrom, ReplacePos, ReplaceMatchCase);
  if (p == std::string::npos) return false;
  ReplacePos = p;
  return true;
}

void SearchController::DoReplace(bool replace) {
  if (!replace) {
    replace_text_.Skip(ReplacePos, ReplaceFrom.size());
  } else {
    const std::string old = replace_text_.Replace(ReplacePos, ReplaceFrom.size(), ReplaceTo);
    if (ReplaceOnePage) {
      editor::UndoRecord r;
      r.StartPos = r.SelStartBefore = int(ReplacePos);
      r.SelLengthBefore = int(old.size());
      r.SelStartAfter = int(ReplacePos + ReplaceTo.size());
      // The text as it was, not the string as typed: without match case they may differ.
      r.OldText = old;
      r.NewText = ReplaceTo;
      editor_.AddUndoInfo(r);
    }
  }
  if (replace_downward_) ReplacePos += replace ? ReplaceTo.size() : ReplaceFrom.size();
  ReplaceLastPos = ReplacePos;
}

bool SearchController::FlushPageText() {
  if (!replace_text_.changed()) return true;
  store::Table& t = session_.table();
  // Only ever into the page the text was read from.
  if (t.RecNo() != replace_page_) return false;
  std::string text = replace_text_.Text();
  Status st = t.Edit();
  if (st.ok()) st = t.SetFieldString("TEXT", text);
  if (st.ok()) st = t.Post();
  // A run that waits at a hit goes on in the text as written.
  replace_text_ = ReplaceText(std::move(text), replace_downward_);
  return shell_.Report(st);
}

void SearchController::ReplaceLoop() {
  store::Table& t = session_.table();
  std::optional<shell::BusyProgress> busy;
  store::Table::Progress progress;
  uint32_t pages = 0;
  size_t final_start = 0;
  int final_length = 0;
  bool final_set = false;
  for (;;) {
    const bool resumed = ReplaceResumed;
    if (resumed || InRecordFind()) {
      if (!resumed) {
        ++ReplaceCount;
        ReplaceLastHitPage = t.RecNo();
        ReplaceLastPos = ReplacePos;
        if (t.RecNo() != ReplaceStartPage) ReplaceOnlyStartPage = false;
        if (!ReplaceConfirm) {
          DoReplace(true);
          continue;
        }
        // Wait at the hit for a button.
        busy.reset();
        if (!FlushPageText()) break;
        session_.SetDrawImagesOnMove(false);
        nav_.AfterMove(true, !ReplaceOnePage);
        session_.SetDrawImagesOnMove(true);
        nav_.SetLink();
        ReplaceButtonCode = 0;
        ChangeButton(true);
        editor_.GotoSelStart(int(ReplacePos), int(ReplaceFrom.size()));
        return;
      }
      // A button resumed the run at its hit.  The header boxes stayed editable while it waited:
      // what was typed there is written before the run goes on.
      ReplaceResumed = false;
      if (t.RecNo() != replace_page_) {  // the page changed under the run: stop it safely
        ChangeButton(false);
        break;
      }
      nav_.MainTablePost();
      switch (ReplaceButtonCode) {
        case 1:
          if (!ReplaceOnePage) nav_.ResetLink();
          DoReplace(true);
          continue;
        case 2:
          --ReplaceCount;
          if (!ReplaceOnePage) nav_.ResetLink();
          DoReplace(false);
          continue;
        case 3:
          ReplaceConfirm = false;
          nav_.SetReplacingWithConfirmation(false);
          ChangeButton(false);
          DoReplace(true);
          if (!ReplaceOnePage) nav_.ResetLink();
          continue;
        default:
          ChangeButton(false);
          --ReplaceCount;
          final_start = ReplacePos;
          final_length = int(ReplaceFrom.size());
          final_set = true;
          break;
      }
      break;
    }
    // No further hit on this page.
    if (!FlushPageText()) break;
    if (ReplaceOnePage || replace_walk_done_) break;
    if (!busy) {
      busy.emplace(shell_.DialogParent(), QStringLiteral("置換しています…"),
                   QStringLiteral("ページ"));
      progress = progress_for_test_ ? progress_for_test_ : busy->Callback();
    }
    // Cancelled: what was replaced stays replaced and is reported.
    if (progress && !progress(++pages, t.RecordCount())) break;
    shell_.Report(ReplaceUpward ? t.Prior() : t.Next());
    if (ReplaceUpward ? t.Bof() : t.Eof()) {
      replace_walk_done_ = true;
      break;
    }
    ReplacePos = 0;
    replace_page_ = t.RecNo();
    replace_text_ = ReplaceText(PageText(), true);
  }
  busy.reset();
  FinishReplace(final_set, final_start, final_length);
}

void SearchController::FinishReplace(bool final_set, size_t final_start, int final_length) {
  store::Table& t = session_.table();
  ReplaceConfirm = false;
  nav_.SetReplacingWithConfirmation(false);
  nav_.SetLink();
  ChangeButton(false);
  if (!final_set) {
    if (ReplaceOnlyStartPage && ReplaceEndLeft) {
      final_start = 0;
      final_length = 0;
    } else {
      if (!nav_.GotoRecNo(ReplaceLastHitPage)) shell_.Report(t.Last());
      if (ReplaceCount > 0) {
        const size_t to = ReplaceTo.size();
        final_start =
            replace_downward_ ? ReplaceLastPos - std::min(to, ReplaceLastPos) : ReplaceLastPos;
        final_length = int(to);
      } else {
        final_start = ReplaceLastPos;
        final_length = ReplaceStartSelLength;
      }
    }
  }
  const bool draw = session_.DrawImagesOnMove();
  if (ReplaceOnePage) session_.SetDrawImagesOnMove(false);
  nav_.AfterMove(true, !ReplaceOnePage);
  session_.SetDrawImagesOnMove(draw);
  if (ReplaceOnePage) images_.ShowImagesFrom(replace_first_image_);
  editor_.GotoSelStart(int(final_start), final_length);
  shell_.Message(QString::number(ReplaceCount) + QStringLiteral(" 個の文字列を置換しました。"));
}

void SearchController::ChangeButton(bool show) {
  if (show == replace_waiting_) return;
  replace_waiting_ = show;
  for (size_t i = 0; i < replace_buttons_.size(); ++i) {
    QPushButton* b = replace_buttons_[i];
    if (!b) continue;
    if (!replace_buttons_ready_) {
      const ReplaceButtonLook& look = kButtons[i];
      b->setObjectName(QLatin1String(look.name));
      b->setText(QString::fromUtf8(look.caption));
      b->setToolTip(QString::fromUtf8(look.hint));
      b->setStatusTip(QString::fromUtf8(look.hint));
      b->setStyleSheet(
          QStringLiteral("font-weight: bold; color: %1;").arg(QLatin1String(look.color)));
      b->adjustSize();
      const int code = int(i) + 1;
      QObject::connect(b, &QPushButton::clicked, b, [this, code] { ReplaceButtonClick(code); });
    }
    b->setVisible(show);
  }
  replace_buttons_ready_ = true;
  // Nothing else may move the run off its page while it waits: the toolbar keeps only the four
  // buttons, the menus are off.
  if (show) {
    hidden_tool_actions_.clear();
    for (QAction* a : w_.toolbar->actions()) {
      if (qobject_cast<QToolButton*>(w_.toolbar->widgetForAction(a)) && a->isVisible()) {
        a->setVisible(false);
        hidden_tool_actions_.push_back(a);
      }
    }
  } else {
    for (QAction* a : hidden_tool_actions_) a->setVisible(true);
    hidden_tool_actions_.clear();
  }
  if (show) {
    disabled_actions_.clear();
    for (const char* name : kMenusOff) {
      QMenu* m = shell_.Menu(name);
      if (!m) continue;
      std::vector<QMenu*> menus{m};
      while (!menus.empty()) {
        QMenu* menu = menus.back();
        menus.pop_back();
        for (QAction* a : menu->actions()) {
          if (a->menu()) menus.push_back(a->menu());
          if (a->isEnabled()) {
            a->setEnabled(false);
            disabled_actions_.push_back(a);
          }
        }
      }
      m->menuAction()->setEnabled(false);
    }
  } else {
    for (QAction* a : disabled_actions_) a->setEnabled(true);
    disabled_actions_.clear();
    for (const char* name : kMenusOff)
      if (QMenu* m = shell_.Menu(name)) m->menuAction()->setEnabled(true);
  }
  w_.text->setReadOnly(show);
}

}  // namespace sk::search
