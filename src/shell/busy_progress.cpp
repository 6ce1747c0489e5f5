#include "shell/busy_progress.h"

#include <QApplication>
#include <QProgressDialog>

namespace sk::shell {

namespace {
int show_after_ms = 500;
constexpr int kSteps = 1000;  // the bar counts in thousandths of the pass
}  // namespace

BusyProgress::BusyProgress(QWidget* parent, const QString& label, const QString& unit)
    : label_(label), unit_(unit) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  dialog_ = std::make_unique<QProgressDialog>(label, QStringLiteral("ｷｬﾝｾﾙ"), 0, kSteps, parent);
  dialog_->setWindowTitle(QStringLiteral("お待ちください"));
  dialog_->setWindowModality(Qt::WindowModal);  // setValue lets the cancel button be pressed
  dialog_->setMinimumDuration(show_after_ms);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setValue(0);
  // forceShow is a protected slot: reached through the meta-object.
  if (show_after_ms == 0)
    QMetaObject::invokeMethod(dialog_.get(), "forceShow", Qt::DirectConnection);
}

void BusyProgress::SetShowAfterMs(int ms) { show_after_ms = ms; }

BusyProgress::~BusyProgress() {
  dialog_.reset();
  QApplication::restoreOverrideCursor();
}

store::Table::Progress BusyProgress::Callback() {
  return [this](uint32_t done, uint32_t total) { return Report(done, total); };
}

bool BusyProgress::Report(uint32_t done, uint32_t total) {
  if (dialog_->wasCanceled()) return false;
  int value = total == 0 ? kSteps : int(uint64_t(done) * kSteps / total);
  if (!unit_.isEmpty())
    dialog_->setLabelText(label_ + QStringLiteral("\n") + QString::number(done) +
                          QStringLiteral(" / ") + QString::number(total) + QStringLiteral(" ") +
                          unit_);
  dialog_->setValue(value);
  return !dialog_->wasCanceled();
}

}  // namespace sk::shell
