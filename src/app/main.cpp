// The program: one main window, opened on the page file named on the command line, if any.
//
// SIGTERM, SIGHUP and SIGINT (a desktop logout, a closed terminal, Ctrl+C) close the window the
// ordinary way, so the page on show and the settings are written before the program ends.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <csignal>

#include "app/ui/icons.h"
#include "app/ui/mainform.h"
#include "shell/prompter.h"

namespace {

int signal_pipe[2] = {-1, -1};

void OnSignal(int) {
  char c = 1;
  (void)!::write(signal_pipe[0], &c, 1);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("sorakumo"));
  QApplication::setWindowIcon(sk::app::ProgramIcon());
  sk::shell::QtPrompter prompter;
  QStringList args = QApplication::arguments();
  args.removeFirst();
  sk::app::TSDIAppForm form(prompter, args);
  prompter.set_parent(&form);

  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signal_pipe) == 0) {
    auto* notifier = new QSocketNotifier(signal_pipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &form, [&form] {
      char c;
      (void)!::read(signal_pipe[1], &c, 1);
      form.close();
      QApplication::quit();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) sigaction(sig, &sa, nullptr);
  }

  form.show();
  return app.exec();
}
