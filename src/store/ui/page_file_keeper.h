// Keeping the open page file: the backup taken before it is opened or saved, slimming and
// renaming.  Owned by the main window; its file commands call it.  It sees the window only
// through the shell services, the open page file, the controllers it drives and `KeeperHost`.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>

namespace sk::shell {
class PageFileSession;
class ShellServices;
}  // namespace sk::shell
namespace sk::browse {
class Navigator;
class PageSelector;
}  // namespace sk::browse
namespace sk::images {
class ImageSide;
}
namespace sk::editor {
class TextArea;
}

namespace sk::store {

// What the keeper needs from the window itself.
class KeeperHost {
 public:
  virtual ~KeeperHost() = default;
  // No page file: empty page, file commands off, the base caption.
  virtual void ShowNoFile() = 0;
  // The caption of the open file; the header fields follow the record again.
  virtual void AfterFileShown() = 0;
  // The window's caption (a long command shows what it is doing there).
  virtual QString WindowCaption() const = 0;
  virtual void SetWindowCaption(const QString& caption) = 0;
};

class PageFileKeeper {
 public:
  // text: the text area, whose caret and selection a rename keeps.
  PageFileKeeper(shell::ShellServices& shell, shell::PageFileSession& session,
                 browse::Navigator& nav, browse::PageSelector& selector, images::ImageSide& images,
                 editor::TextArea& text, std::unique_ptr<KeeperHost> host);
  ~PageFileKeeper();

  // The rotating backup of the page file about to be opened (when backups are on).  A backup
  // that cannot be made is told once per file and run; the open goes on.  Progress with cancel
  // after half a second; a cancelled backup is told and the open goes on.
  void DoBackUp();
  // Slims the open page file after the question; the page on show stays on show under its new
  // number, in the same order and selection.
  void SlimItemClick();
  // Renames or moves the open page file; the page, the caret, the picture, the order and the
  // selection stay.
  void RenameItemClick();

 private:
  // Opens the page file again in the display order and with the selection it had; false (and
  // no file open) when it cannot be opened.
  bool ReopenInSameView(const std::string& order, bool filtered);

  shell::ShellServices& shell_;
  shell::PageFileSession& session_;
  browse::Navigator& nav_;
  browse::PageSelector& selector_;
  images::ImageSide& images_;
  editor::TextArea& text_;
  std::unique_ptr<KeeperHost> host_;
  QStringList backup_failures_;  // page files whose backup failure the user has been told of
};

}  // namespace sk::store
