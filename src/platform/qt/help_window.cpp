#include "platform/qt/help_window.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QUrl>

#include "common/version.h"

// The resources live in a static library: nothing references them, so pull them in by hand.
static void InitHelpResources() { Q_INIT_RESOURCE(pelira); }

namespace pelira {

namespace {

QPointer<THelpWindow> g_window;

void DeleteHelpWindow() { delete g_window.data(); }

}  // namespace

THelpWindow& THelpWindow::Instance() {
  if (!g_window) {
    InitHelpResources();
    g_window = new THelpWindow;
    qAddPostRoutine(DeleteHelpWindow);
  }
  return *g_window;
}

void THelpWindow::CloseIfOpen() {
  if (g_window) g_window->close();
}

THelpWindow::THelpWindow() : QTextBrowser(nullptr) {
  setWindowTitle(QString::fromUtf8(kProductTitle) + QStringLiteral(" Help"));
  setOpenExternalLinks(true);
  resize(640, 480);
}

std::vector<std::string> THelpWindow::Pages() {
  InitHelpResources();
  std::vector<std::string> pages;
  for (const QString& name : QDir(QStringLiteral(":/help")).entryList(QDir::Files)) pages.push_back(name.toStdString());
  return pages;
}

void THelpWindow::ShowContext(int context) {
  const QString page = QString::fromStdString(HelpPageFor(context, Pages()));
  setSource(QUrl(QStringLiteral("qrc:/help/") + page));

  const Qt::WindowModality wanted = QApplication::activeModalWidget() && QApplication::activeModalWidget() != this
                                        ? Qt::ApplicationModal
                                        : Qt::NonModal;
  if (windowModality() != wanted) {
    // Modality only changes while hidden.
    hide();
    setWindowModality(wanted);
  }
  show();
  raise();
  activateWindow();
}

}  // namespace pelira
