#include "cli/commands.h"

namespace pelira::cli {

// New commands join this table; each lives in its own file.
const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"info",
       "  info FILE...        one line per file, tab-separated: path, WIDTHxHEIGHT, bits per\n"
       "                      pixel of the loaded picture, page count, kind (BMP, PNG, JPEG,\n"
       "                      TIFF, PCX, DCX, TGA, GIF, PSD, PCD, WMF, EMF, TXT, RTF, MEDIA)",
       RunInfo},
      {"convert", ConvertSynopsis(), RunConvert},
      {"run", RunSynopsis(), RunScript},
      {"apply", ApplySynopsis(), RunApply},
  };
  return commands;
}

}  // namespace pelira::cli
