// The page text's own undo list.
//
// Every edit of the text area is one record holding both the text it removed and the text it
// inserted, so the same record serves for undo and for redo.  Positions are byte offsets into the
// page text (CP932, a line break is CR LF and counts 2); the texts are CP932 bytes.
//
// `UndoIndex` is the last applied record, -1 when nothing can be undone.  Adding a record discards
// the undone ones after it.  Records whose texts are both empty are skipped by undo and redo
// (record 0 is still applied).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sk::editor {

struct UndoRecord {
  int StartPos = 0;         // where the change starts
  int SelLengthBefore = 0;  // selection length before the edit; undo restores it
  int SelStartBefore = 0;   // caret before the edit; undo restores it
  int SelStartAfter = 0;    // caret after the edit; redo restores it
  std::string OldText;      // removed by the edit
  std::string NewText;      // inserted by the edit
  bool Empty() const { return OldText.empty() && NewText.empty(); }
  bool operator==(const UndoRecord&) const = default;
};

// The record for an edit about to happen at the selection [sel_start, sel_start + sel_length)
// of text (`SetUndoInfo`): insert is the text to be inserted, backspace marks the Backspace key
// (with an empty selection it removes the character before the caret), insert_mode false means
// overwrite (typing without a selection replaces the character at the caret).  nullopt for
// Backspace at the very start.
std::optional<UndoRecord> BuildUndoRecord(std::string_view text, int sel_start, int sel_length,
                                          std::string_view insert, bool backspace,
                                          bool insert_mode);

// The record for a change found by comparing the text before and after it (an edit the control
// made on its own): the differing middle; undo selects what it puts back.
UndoRecord DiffUndoRecord(std::string_view before, std::string_view after);

class UndoList {
 public:
  UndoList() { records_.reserve(500); }

  // `AddUndoInfo`: the record becomes the newest; undone records after UndoIndex are discarded.
  void AddUndoInfo(UndoRecord r);
  // `ResetUndoBuf`: no records, UndoIndex -1.
  void ResetUndoBuf();

  // The record that undo applies (empty records above it skipped), or nullptr; UndoIndex then
  // stands below it.
  const UndoRecord* TakeUndo();
  // The record that redo applies (empty records skipped), or nullptr; UndoIndex then stands on it.
  const UndoRecord* TakeRedo();

  int UndoIndex() const { return index_; }
  int Count() const { return int(records_.size()); }
  const UndoRecord& At(int i) const { return records_[size_t(i)]; }
  const UndoRecord* Newest() const { return records_.empty() ? nullptr : &records_.back(); }
  bool CanUndo() const { return index_ >= 0; }
  bool CanRedo() const { return index_ < Count() - 1; }

 private:
  std::vector<UndoRecord> records_;
  int index_ = -1;
};

}  // namespace sk::editor
