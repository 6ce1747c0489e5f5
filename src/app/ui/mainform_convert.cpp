// The Edit menu's conversions of the text area's selection (width, case, numerals, radix,
// punctuation) and its counts of characters and of a string.  The conversions go through the
// editor, which puts each result back as a paste; the counts only report.
#include <QString>

#include "app/ui/mainform.h"
#include "shell/prompter.h"
#include "app/ui/window_commands.h"
#include "shell/command_table.h"
#include "convert/cp932.h"
#include "convert/text_convert.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"

namespace sk::app {

namespace {

using Command = std::function<void(TSDIAppForm&, editor::TextEditor&)>;

// The editor converts only with a file open and a selection.
Command OnSelection(editor::TextEditor::Conversion convert) {
  return [convert = std::move(convert)](TSDIAppForm&, editor::TextEditor& e) {
    e.ConvertSelection(convert);
  };
}

Command Width(bool to_full, bool symbols) {
  return OnSelection([to_full, symbols](std::string_view s) {
    return to_full ? convert::ToZenkaku(s, symbols) : convert::ToHankaku(s, symbols);
  });
}

Command Case(int mode) {
  return OnSelection([mode](std::string_view s) { return convert::ChangeCase(s, mode); });
}

Command Radix(int from, int to) {
  return OnSelection([from, to](std::string_view s) { return convert::ConvertRadix(s, from, to); });
}

Command Punctuation(int kind) {
  return [kind](TSDIAppForm&, editor::TextEditor& e) {
    e.ConvertSelectionOrAll(
        [kind](std::string_view s) { return convert::ChangePunctuation(s, kind); });
  };
}

// The selection, or the whole text when nothing is selected.
std::string SelectionOrAll(TSDIAppForm& f) {
  return f.TextMemo->SelLength() > 0 ? f.TextMemo->SelText() : f.TextMemo->Text();
}

void MojisuItemClick(TSDIAppForm& f, editor::TextEditor&) {
  if (!f.FileIsOpen()) return;
  const bool selection = f.TextMemo->SelLength() > 0;
  const convert::CharCounts c = convert::CountChars(SelectionOrAll(f));
  f.prompter().Inform(selection ? QStringLiteral("選択された文字列の文字数")
                                : QStringLiteral("テキスト全体の文字数"),
                      QStringLiteral("総バイト数　%1\n\n全角文字数　%2\n\n半角文字数　%3\n\n"
                                     "制御文字数　%4")
                          .arg(c.bytes)
                          .arg(c.full_width)
                          .arg(c.half_width)
                          .arg(c.control));
}

void StringCount(TSDIAppForm& f, editor::TextEditor& e, bool ignore_case) {
  if (!f.FileIsOpen()) return;
  const std::string text = SelectionOrAll(f);
  const int start = f.TextMemo->SelStart(), length = f.TextMemo->SelLength();
  const std::optional<QString> answer =
      f.prompter().Input(QStringLiteral("カウント文字列"),
                         QStringLiteral("カウントする文字列を入力して下さい。"), QString());
  if (!answer) return;
  if (answer->isEmpty()) {
    f.Message(QStringLiteral("カウントする文字列を指定してください。"));
    return;
  }
  // A string with a character the page's code cannot hold occurs nowhere in the page.
  std::string needle;
  const size_t count =
      cp932::Encode(*answer, &needle) ? convert::CountString(text, needle, ignore_case) : 0;
  f.prompter().Inform(QStringLiteral("文字列の個数"),
                      *answer + QStringLiteral(" の個数 ＝ ") + QString::number(count));
  e.GotoSelStart(start, length);
}

}  // namespace

void AddConvertCommands(shell::CommandTable& table, TSDIAppForm& f, editor::TextEditor& e) {
  const auto kan = [](std::string_view s) { return convert::ArabiaToKan(s); };
  const auto arabia = [](std::string_view s) { return convert::KanToArabia(s); };
  const std::pair<const char*, Command> commands[] = {
      {"ZenkakuToHankakuItemClick", Width(false, false)},
      {"ZenkakuToHankakuKigoItemClick", Width(false, true)},
      {"HankakuToZenkakuItemClick", Width(true, false)},
      {"HankakuToZenkakuKigoItemClick", Width(true, true)},
      {"UpperToLowerItemClick", Case(1)},
      {"LowerToUpperItemClick", Case(2)},
      {"UpperToLowerZenItemClick", Case(3)},
      {"LowerToUpperZenItemClick", Case(4)},
      {"ArabiaToKanItemClick", OnSelection(kan)},
      {"KanToArabiaItemClick", OnSelection(arabia)},
      {"Kisuho2To10ItemClick", Radix(2, 10)},
      {"Kisuho2To16ItemClick", Radix(2, 16)},
      {"Kisuho10To2ItemClick", Radix(10, 2)},
      {"Kisuho10To16ItemClick", Radix(10, 16)},
      {"Kisuho16To2ItemClick", Radix(16, 2)},
      {"Kisuho16To10ItemClick", Radix(16, 10)},
      {"ChangePunctuation1ItemClick", Punctuation(1)},
      {"ChangePunctuation2ItemClick", Punctuation(2)},
      {"ChangePunctuation3ItemClick", Punctuation(3)},
      {"MojisuItemClick", MojisuItemClick},
      {"DoCaseItemClick", [](TSDIAppForm& f, editor::TextEditor& e) { StringCount(f, e, false); }},
      {"DontCaseItemClick", [](TSDIAppForm& f, editor::TextEditor& e) { StringCount(f, e, true); }},
  };
  for (const auto& [handler, run] : commands)
    table.Add(handler, [&f, &e, run = run] { run(f, e); });
}

}  // namespace sk::app
