// A long pass over a page file in the window: the busy cursor from the start, and a progress
// dialog with a cancel button once the pass looks like taking more than half a second.
#pragma once

#include <QString>
#include <memory>

#include "store/table.h"

class QProgressDialog;
class QWidget;

namespace sk::shell {

class BusyProgress {
 public:
  // Shows the busy cursor and lets the window repaint (a dialog just closed leaves no trace).
  // With a unit ("ページ") the dialog also tells the count: "120 / 5000 ページ".
  BusyProgress(QWidget* parent, const QString& label, const QString& unit = {});
  ~BusyProgress();
  BusyProgress(const BusyProgress&) = delete;
  BusyProgress& operator=(const BusyProgress&) = delete;

  // The table's progress callback: false once the user has cancelled.
  store::Table::Progress Callback();

  // How long a pass runs before the dialog shows (half a second); 0 shows it at once (tests,
  // which then cancel it from a timer).
  static void SetShowAfterMs(int ms);

 private:
  bool Report(uint32_t done, uint32_t total);

  std::unique_ptr<QProgressDialog> dialog_;
  QString label_, unit_;
};

}  // namespace sk::shell
