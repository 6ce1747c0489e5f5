// The page selection and the display order of the open page file: the conditions, the dialog that
// sets them, the check that the page on show still meets them, and the order commands.
// Owned by the main window; it sees the program through the shell services and the open file
// through its session.
#pragma once

#include <memory>
#include <string>

#include "browse/page_selection.h"

namespace sk::shell {
class ShellServices;
class PageFileSession;
}  // namespace sk::shell

namespace sk::browse {

class Navigator;
class TDateRangeInputBox;

class PageSelector {
 public:
  PageSelector(shell::ShellServices& shell, shell::PageFileSession& session);
  ~PageSelector();
  // The navigator, which leaves and shows the pages around a change of selection or order
  // (made after the selector).
  void SetNavigator(Navigator& nav) { nav_ = &nav; }

  // The conditions in force when the table's filter is on.
  const PageSelection& selection() const { return sel_; }
  // Takes other conditions without applying them (the filter stays as it is).
  void SetSelection(const PageSelection& selection) { sel_ = selection; }

  // The predicate on the current record as stored / as the header fields show it (true whenever
  // the filter is off).
  bool CheckPageSelected() const;
  bool CheckPageSelectedBeforePost() const;
  // The warning that the page on show will leave the selection.
  void AlertPageDisappear();
  // The backward step of a search from a page that has just left the selection.  Leaving such a
  // page keeps it current (outside the selection), so the step back is an ordinary one: it lands
  // on the page before it in the display order, the next one a backward search must look at.
  void DisappearPrior();
  // Installs the filter hook for the current conditions.
  void InstallFilter();
  // Installs the filter and switches it on; in a tag's order the selected pages are marked first
  // (MarkSelection).  *on tells whether the filter is on; a cancelled marking leaves it off and
  // the page where it was.
  Status SwitchFilterOn(bool* on);
  // With the filter on in a tag's order: marks the selected pages in one pass over the file (busy
  // cursor, and progress with a cancel button when it takes a while), so that no step reads
  // records in the tag's order to test them.  Page-number order needs no marks: its steps test
  // the records in file order.  When the user cancels, the selection goes off (*kept false).
  Status MarkSelection(bool* kept);
  // Switches the filter off (no page is left in the selection).
  void SelectionOff();

  // The selection dialog and what follows its OK.
  void SelectRecordItemClick();
  // Applies `selection` as the dialog's OK does: reopens the file, filters, keeps the page.
  void ApplySelection(const PageSelection& selection);

  // The display order: the check mark and the table's tag for a code (-1 page-number order).
  void ReOrder(int code);
  void SetOrderMenu(int code);
  // The check mark on the order item of the table's tag (compared in upper case).
  void CheckOrderItem();
  int OrderCode() const;

  TDateRangeInputBox& dialog();

 private:
  // One marking pass with the busy cursor and progress.
  Status MarkPages(bool* cancelled);

  shell::ShellServices& shell_;
  shell::PageFileSession& session_;
  Navigator* nav_ = nullptr;
  PageSelection sel_;
  std::unique_ptr<TDateRangeInputBox> dialog_;
};

}  // namespace sk::browse
