#include "app/forms/program.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTimer>

#include <filesystem>

#include "app/forms/terminate_notifier.h"
#include "common/version.h"
#include "platform/help.h"
#include "platform/qt/guarded_application.h"
#include "platform/qt/help_window.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_ui.h"
#include "platform/qt/script_show_lock.h"
#include "viewer/forms/web_form.h"

namespace pelira {

namespace {

int ScreenWidth() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->size().width() : 1024;
}

// SIGTERM: the close a user would make. An open box is answered as its window's close button
// would (the least-changing answer), since no close can run under its modal loop.
void CloseAsTheUserWould(TWebForm& viewer) {
  while (QWidget* modal = QApplication::activeModalWidget()) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    else modal->close();
    if (QApplication::activeModalWidget() == modal) break;
  }
  QTimer::singleShot(0, &viewer, &QWidget::close);
}

}  // namespace

EntryDecision ProgramEntryNow(const SettingsStore& store) {
  return ProgramEntry(store, OtherCopyPlaysScript(), ScreenWidth());
}

StartupState StartupFromArguments(const QStringList& arguments) {
  std::vector<std::string> args;
  for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());
  return ParseCommandLine(args, [](const std::string& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec);
  });
}

int RunProgram(int& argc, char** argv) {
  TGuardedApplication app(argc, argv);
  QtSettingsStore store;
  EntryDecision entry = ProgramEntryNow(store);
  QCoreApplication::processEvents();
  if (entry.exitNow) return 0;
  QGuiApplication::setApplicationDisplayName(QString());
  QCoreApplication::setApplicationName(kApplicationTitle);

  QtUi ui;
  SetCurrentUi(&ui);
  QtHelpViewer help;
  Help::SetViewer(&help);
  QtShell shell;
  SetCurrentShell(&shell);

  const StartupState startup = StartupFromArguments(QCoreApplication::arguments());
  int rc = 0;
  {
    TWebForm viewer(store, entry.settings, startup);
    app.SetErrorHandler([&viewer](const std::string& message) { viewer.HandleUnexpectedError(message); });
    const QScreen* screen = viewer.screen();
    if (!screen || viewer.StartupChecksPass(screen->depth(), screen->size().height())) {
      TerminateNotifier terminate;
      QObject::connect(&terminate, &TerminateNotifier::terminateRequested, &viewer,
                       [&viewer] { CloseAsTheUserWould(viewer); });
      viewer.show();
      rc = app.exec();
    }
    app.SetErrorHandler({});
  }
  SetCurrentShell(nullptr);
  Help::SetViewer(nullptr);
  SetCurrentUi(nullptr);
  return rc;
}

}  // namespace pelira
