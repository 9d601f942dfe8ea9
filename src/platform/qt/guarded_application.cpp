#include "platform/qt/guarded_application.h"

#include <QtGlobal>
#include <exception>

#include "platform/qt/qt_page_renderers.h"
#include "platform/qt/qt_ui.h"

namespace pelira {

namespace {

void ShowErrorBox(const std::string& message) { QtUi().Message(MessageKind::Error, message, Button::OK); }

}  // namespace

TGuardedApplication::TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv), handler_(ShowErrorBox) {
  // Metafiles and text pages are drawn with Qt: the loading pipeline gets its renderers here.
  InstallQtPageRenderers();
}

void TGuardedApplication::SetErrorHandler(ErrorHandler handler) {
  handler_ = handler ? std::move(handler) : ErrorHandler(ShowErrorBox);
}

bool TGuardedApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    Report(e.what());
  } catch (...) {
    Report(kUnknownExceptionText);
  }
  return false;
}

void TGuardedApplication::Report(const std::string& message) {
  // The handler's box runs an event loop; a handler that keeps throwing (a paint event, say)
  // would stack boxes without end, so errors during a report only go to the log.
  if (reporting_) {
    qWarning("Exception while reporting an earlier one: %s", message.c_str());
    return;
  }
  reporting_ = true;
  try {
    handler_(message);
  } catch (const std::exception& e) {
    qWarning("Error handler failed: %s", e.what());
  } catch (...) {
    qWarning("Error handler failed");
  }
  reporting_ = false;
}

}  // namespace pelira
