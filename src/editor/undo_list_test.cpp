#include "editor/undo_list.h"

#include <gtest/gtest.h>

#include "editor/text_layout.h"

namespace sk::editor {
namespace {

// "あ" is 0x82A0; "ｱ" (half-width katakana) 0xB1; "表" 0x955C has a trail byte that looks like "\".
TEST(UndoListTest, RecordOfAnEditAboutToHappen) {
  struct Case {
    const char* name;
    std::string text;
    int sel_start, sel_length;
    std::string insert;
    bool backspace, insert_mode;
    bool none;  // no record
    int start;
    std::string old_text;
    int after;
  };
  const Case cases[] = {
      {"backspace at the start", "abc", 0, 0, "", true, true, true, 0, "", 0},
      {"backspace after a line break takes CR LF", "a\r\nb", 3, 0, "", true, true, false, 1, "\r\n",
       1},
      {"backspace after a double-byte character", "a\x82\xA0", 3, 0, "", true, true, false, 1,
       "\x82\xA0", 1},
      {"backspace after 0x5C trail byte", "\x95\x5C", 2, 0, "", true, true, false, 0, "\x95\x5C",
       0},
      {"backspace after a single byte after kanji",
       "\x95\x5C"
       "a",
       3, 0, "", true, true, false, 2, "a", 2},
      {"backspace with a selection removes it", "abcd", 1, 2, "", true, true, false, 1, "bc", 1},
      {"typing in insert mode", "abc", 1, 0, "x", false, true, false, 1, "", 2},
      {"typing over a selection", "abc", 1, 2, "x", false, true, false, 1, "bc", 2},
      {"overwrite over half-width katakana", "a\xB1z", 1, 0, "x", false, false, false, 1, "\xB1",
       2},
      {"overwrite over a double-byte character", "\x82\xA0", 0, 0, "x", false, false, false, 0,
       "\x82\xA0", 1},
      {"overwrite at a line end", "a\r\nb", 1, 0, "x", false, false, false, 1, "", 2},
      {"overwrite at the text end", "ab", 2, 0, "x", false, false, false, 2, "", 3},
      {"enter", "ab", 1, 0, "\r\n", false, true, false, 1, "", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto r =
        BuildUndoRecord(c.text, c.sel_start, c.sel_length, c.insert, c.backspace, c.insert_mode);
    ASSERT_EQ(!r, c.none);
    if (!r) continue;
    EXPECT_EQ(r->StartPos, c.start);
    EXPECT_EQ(r->OldText, c.old_text);
    EXPECT_EQ(r->NewText, c.insert);
    EXPECT_EQ(r->SelStartAfter, c.after);
    EXPECT_EQ(r->SelStartBefore, c.sel_start);
    EXPECT_EQ(r->SelLengthBefore, c.sel_length);
  }
}

TEST(UndoListTest, UndoRedoSkipEmptyRecordsAndNewEditsDropTheRedoTail) {
  UndoList l;
  EXPECT_FALSE(l.CanUndo());
  l.AddUndoInfo({0, 0, 0, 1, "", "a"});
  l.AddUndoInfo({1, 0, 1, 1, "", ""});  // empty: skipped both ways
  l.AddUndoInfo({1, 0, 1, 2, "", "b"});
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l.TakeUndo()->NewText, "b");
  EXPECT_EQ(l.TakeUndo()->NewText, "a");  // the empty record is passed over
  EXPECT_EQ(l.UndoIndex(), -1);
  EXPECT_EQ(l.TakeUndo(), nullptr);
  EXPECT_TRUE(l.CanRedo());
  EXPECT_EQ(l.TakeRedo()->NewText, "a");
  EXPECT_EQ(l.TakeRedo()->NewText, "b");
  EXPECT_EQ(l.TakeRedo(), nullptr);
  l.TakeUndo();
  l.AddUndoInfo({1, 0, 1, 2, "", "c"});  // after an undo: "b" is gone
  EXPECT_EQ(l.Count(), 3);
  EXPECT_FALSE(l.CanRedo());
  EXPECT_EQ(l.Newest()->NewText, "c");
  l.ResetUndoBuf();
  EXPECT_EQ(l.UndoIndex(), -1);
  EXPECT_EQ(l.Count(), 0);
}

TEST(UndoListTest, DiffOfAChangeMadeElsewhereKeepsCharactersAndLineBreaksWhole) {
  struct Case {
    const char* name;
    std::string before, after;
    int start;
    std::string old_text, new_text;
  };
  const Case cases[] = {
      {"word deleted", "one TWO three", "one three", 4, "TWO ", ""},
      {"kanji with the same lead byte", "\x95\x5C\x95\x5D", "\x95\x5C\x95\x5E", 2, "\x95\x5D",
       "\x95\x5E"},
      {"same trail byte, other lead",
       "\x95\x5C"
       "a",
       "\x96\x5C"
       "a",
       0, "\x95\x5C", "\x96\x5C"},
      {"line break joined", "a\r\nb", "ab", 1, "\r\n", ""},
      {"line break added before another", "a\r\nb", "a\r\n\r\nb", 1, "", "\r\n"},
      {"no change", "abc", "abc", 3, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const UndoRecord r = DiffUndoRecord(c.before, c.after);
    EXPECT_EQ(r.OldText, c.old_text);
    EXPECT_EQ(r.NewText, c.new_text);
    // Applying the record to the text before gives the text after.
    std::string t = c.before;
    t.replace(size_t(r.StartPos), r.OldText.size(), r.NewText);
    EXPECT_EQ(t, c.after);
    if (c.name != std::string("line break added before another")) {
      EXPECT_EQ(r.StartPos, c.start);
    }
  }
}

TEST(TextLayoutTest, DerivedValuesAndItemMarks) {
  // 10 half-width cells of 13 px at 96 pixels per inch.
  const TextLayoutValues v = ComputeTextLayout(130, 2, 2, 20, 0, 96, 96);
  EXPECT_EQ(v.TabStops[0], 2 * 130 * 1 * 3 / 40 + 1);
  EXPECT_EQ(v.TabStops[4], 2 * 130 * 5 * 3 / 40 + 1);
  EXPECT_EQ(v.ItemIndentPoints, 2 * 130 * 72 / 960 + 1);
  EXPECT_DOUBLE_EQ(v.RightIndentPoints, 15.0);
  EXPECT_EQ(MaxWrapPixelsOf(3.0, 96), 113);
  EXPECT_EQ(NormalIndentPoints(0, 130, 96), 0);
  EXPECT_LT(NormalIndentPoints(-1, 130, 96), 0);
  // Wrap width: only from 3 cm and when the area is wider.
  const TextLayoutValues w = ComputeTextLayout(130, 2, 2, 20, 5.0, 96, 96);
  EXPECT_DOUBLE_EQ(RightIndentFor(w, true, 5.0, 1000, 96), (1000 - w.MaxWrapPixels) * 0.75);
  EXPECT_DOUBLE_EQ(RightIndentFor(w, false, 5.0, 1000, 96), 15.0);
  EXPECT_DOUBLE_EQ(RightIndentFor(w, true, 5.0, 150, 96), 15.0);
  const std::string marks = "\x81\x9c\x87\x40";  // "●①"
  EXPECT_TRUE(
      StartsWithItemChar("\x81\x9c"
                         "abc",
                         marks));
  EXPECT_TRUE(StartsWithItemChar("\x87\x40", marks));
  EXPECT_FALSE(StartsWithItemChar("\x9c\x87", marks));  // bytes straddling two marks
  EXPECT_FALSE(StartsWithItemChar("", marks));
  EXPECT_FALSE(StartsWithItemChar("a", marks));
}

}  // namespace
}  // namespace sk::editor
