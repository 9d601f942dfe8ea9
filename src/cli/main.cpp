// pelira-cli: the engine without windows. QtGui is used only for text drawing, on the
// offscreen platform, so no display is needed.
#include <cstdlib>
#include <iostream>

#include "cli/commands.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  pelira::cli::Args args(argv + 1, argv + argc);
  return pelira::cli::Main(args, std::cout, std::cerr);
}
