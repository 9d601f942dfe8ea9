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
      {"run",
       "  run SCRIPT.bip [--type N] [--out DIR] [--jobs N] [--quality N] [--no-progressive]\n"
       "      FILE...         run a batch script on each FILE: the file is the current picture\n"
       "                      and the only bookmark; the script runs once (NEXT and PREVIOUS do\n"
       "                      nothing, LOOP ends after one pass, prompts answer \"do not abort\",\n"
       "                      DELETE is refused). Each SAVE writes the file's name without its\n"
       "                      extension + the SAVE suffix as type N (as for convert; default 3,\n"
       "                      PNG) into DIR or beside the source, never replacing a file: taken\n"
       "                      names get -1 ... -999. --quality: JPEG compression 1..99 (default\n"
       "                      50); JPEG is progressive with optimised tables, float DCT and no\n"
       "                      chroma subsampling, PNG interlaced, unless --no-progressive.\n"
       "                      --jobs: files run at once in separate processes (default: the\n"
       "                      number of cores); names are given in FILE order whatever N is.",
       RunScript},
      {"album",
       "  album new OUT.avc|OUT.avl|OUT.plp FILE|DIR...   a new album of the files (folders: their\n"
       "                      picture, sound and video files, subfolders included), each added at\n"
       "                      the end from the last named to the first, as the album window adds\n"
       "  album add ALBUM FILE|DIR...   the same, added to an album, which is saved again\n"
       "  album list ALBUM    one slide a line, tab-separated: position, path, size, date, then\n"
       "                      backcolor, effect, wait, zoom, gamma, rotate, position, panel, comment\n"
       "  album validate ALBUM   lists the slides whose files are missing (\"missing\", position,\n"
       "                      path) and a summary line; exit 1 when any is missing\n"
       "  album convert ALBUM OUT.avl|OUT.avc|OUT.plp   writes the album in another format.\n"
       "                      Side files go to the program's \"data\" folder ($PELIRA_HOME/data).",
       RunAlbum},
  };
  return commands;
}

}  // namespace pelira::cli
