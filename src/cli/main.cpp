// pelira-cli: the engine without windows. QtGui is used only for text drawing, on the
// offscreen platform, so no display is needed.
#include <QGuiApplication>
#include <cstdlib>
#include <iostream>

#include "cli/commands.h"
#include "platform/qt/qt_page_renderers.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Metafiles and text pages are drawn with QPainter, which needs the application's fonts.
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  pelira::InstallQtPageRenderers();
  pelira::cli::Args args(argv + 1, argv + argc);
  return pelira::cli::Main(args, std::cout, std::cerr);
}
