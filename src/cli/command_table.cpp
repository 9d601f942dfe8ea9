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
      {"convert",
       "  convert [--page N] [--type N] [--quality N] [--no-progressive] [--jpeg-scale N]\n"
       "          [--fax-quality bw|4|16|64] [--background RRGGBB] IN OUT\n"
       "                      load IN as the viewer does and write OUT. --page: 1-based page of\n"
       "                      a multipage file or TIFF (default 1). --jpeg-scale: decode a JPEG\n"
       "                      at 1/N, N = 1, 2, 4 or 8, as the viewer's reduced load does\n"
       "                      (default 1). --type: the save dialog's type 1..12\n"
       "                      (1 BMP, 2 PCX, 3 PNG, 4 gray JPEG, 5 colour JPEG, 6 TGA, 7-12 TIFF\n"
       "                      none/deflate/Adobe deflate/G3/G4/PackBits; default: from OUT's\n"
       "                      extension, .jpg = 5, .tif = 7). --fax-quality: gray shades for\n"
       "                      1-bit pages of multipage documents (default bw: no shrink).\n"
       "                      --background: blank and transparency colour (default 000000).\n"
       "                      --quality: the JPEG compression value 1..99 (default 50);\n"
       "                      --no-progressive: baseline JPEG, PNG without interlace.",
       RunConvert},
  };
  return commands;
}

}  // namespace pelira::cli
