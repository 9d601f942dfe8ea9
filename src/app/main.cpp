// pelira: the desktop program.
#include <QApplication>
#include <QTimer>

#include "app/forms/terminate_notifier.h"
#include "common/version.h"
#include "viewer/forms/web_form.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(pelira::kApplicationTitle);
  pelira::TWebForm viewer;
  pelira::TerminateNotifier terminate;
  QObject::connect(&terminate, &pelira::TerminateNotifier::terminateRequested, &viewer, &QWidget::close);
  viewer.show();
  QTimer::singleShot(0, &viewer, [&viewer] { viewer.BlankPicture(true); });
  return app.exec();
}
