// pelira: the desktop program.
#include <QApplication>
#include <QTimer>

#include <csignal>

#include "common/version.h"
#include "viewer/forms/web_form.h"

namespace {
// SIGTERM closes the program as the user closing the viewer would.
void OnTerminate(int) { QMetaObject::invokeMethod(qApp, "closeAllWindows", Qt::QueuedConnection); }
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(pelira::kApplicationTitle);
  std::signal(SIGTERM, OnTerminate);
  pelira::TWebForm viewer;
  viewer.show();
  QTimer::singleShot(0, &viewer, [&viewer] { viewer.BlankPicture(true); });
  return app.exec();
}
