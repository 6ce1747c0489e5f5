// The program: one main window, opened on the page file named on the command line, if any.
#include <QApplication>
#include <QIcon>

#include "app/ui/icons.h"
#include "app/ui/mainform.h"
#include "app/ui/prompter.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("sorakumo"));
  QApplication::setWindowIcon(sk::app::ProgramIcon());
  sk::app::QtPrompter prompter;
  QStringList args = QApplication::arguments();
  args.removeFirst();
  sk::app::TSDIAppForm form(prompter, args);
  prompter.set_parent(&form);
  form.show();
  return app.exec();
}
