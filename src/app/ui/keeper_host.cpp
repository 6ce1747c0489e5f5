#include "app/ui/keeper_host.h"

#include "app/ui/mainform.h"

namespace sk::app {

namespace {

class WindowKeeperHost : public store::KeeperHost {
 public:
  explicit WindowKeeperHost(TSDIAppForm& f) : f_(f) {}
  void ShowNoFile() override { f_.ShowNoFile(); }
  void AfterFileShown() override { f_.AfterFileShown(); }
  QString WindowCaption() const override { return f_.windowTitle(); }
  void SetWindowCaption(const QString& caption) override { f_.setWindowTitle(caption); }

 private:
  TSDIAppForm& f_;
};

}  // namespace

std::unique_ptr<store::KeeperHost> MakeKeeperHost(TSDIAppForm& form) {
  return std::make_unique<WindowKeeperHost>(form);
}

}  // namespace sk::app
