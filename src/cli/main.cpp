// pelira-cli: the engine without windows. QtGui is started only when a metafile or a text page
// is drawn (QPainter needs the application's fonts), on the offscreen platform, so no display
// is needed and every other command starts without it.
#include <QGuiApplication>
#include <QtGlobal>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "platform/qt/qt_page_renderers.h"
#include "platform/qt/qt_text_renderer.h"

namespace {

int qtArgc = 1;
char** qtArgv = nullptr;
std::unique_ptr<QGuiApplication> app;

void EnsureApp() {
  if (app) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  app = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
}

std::optional<pelira::Dib> Metafile(const std::filesystem::path& path, const pelira::PageRequest& request) {
  EnsureApp();
  return pelira::RenderMetafileFile(path, request);
}

std::optional<pelira::Dib> TextPage(const std::filesystem::path& path, const pelira::PageRequest& request) {
  EnsureApp();
  return pelira::RenderTextPageFile(path, request);
}

// The command line prints its own lines only: Qt's notes (a missing runtime folder, fonts)
// are not the user's business; its fatal errors still are.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << "pelira-cli: " << text.toStdString() << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  qtArgv = argv;
  qInstallMessageHandler(QtMessages);
  pelira::SetPageRenderers(&Metafile, &TextPage);
  // Text marks draw with Qt's fonts: Qt starts at the first one.
  static const pelira::QtTextRenderer textMarks(&EnsureApp);
  pelira::InstallTextRenderer(&textMarks);
  pelira::cli::Args args(argv + 1, argv + argc);
  const int rc = pelira::cli::Main(args, std::cout, std::cerr);
  app.reset();
  return rc;
}
