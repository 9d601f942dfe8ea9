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
      {"show",
       "  show frames --effect N OLD NEW --size WxH --out DIR [--speed S] [--seed N]\n"
       "                      the frames of slideshow transition N (0..173, the effects table;\n"
       "                      1..6 pick at random from --seed, default 1) from OLD to NEW, each\n"
       "                      picture fitted and centred on black in WxH as the player shows it,\n"
       "                      written to DIR as frame_0000.png (OLD) .. frame_NNNN.png (NEW).\n"
       "                      --speed: the effects speed 0 faster .. 3 slowest (default 1).\n"
       "                      Prints the effect's name, its drawing arguments and frame count.",
       RunShow},
      {"exif",
       "  exif FILE...        the JPEG Text report of each .jpg/.jpeg file: one \"Name = value\"\n"
       "                      line per EXIF entry, then the comment lines; several files get a\n"
       "                      \"== FILE\" line each",
       RunExif},
      {"comment",
       "  comment FILE        print the comment lines of a JPEG file\n"
       "  comment --add TEXT [--yes] FILE...\n"
       "                      insert TEXT as a comment (lines end CR LF; at most 32000\n"
       "                      characters) after a JFIF APP0 segment, else after the start marker\n"
       "  comment --strip [--all-extra] [--yes] FILE...\n"
       "                      remove the comments; --all-extra also every APPn segment but APP14.\n"
       "                      Add and strip first copy the file to its name without extension +\n"
       "                      .bak; an existing .bak is kept (the file is skipped) unless --yes.\n"
       "                      Bytes after the end of the picture are kept.",
       RunComment},
      {"unzip",
       "  unzip [--list] [--to DIR] ARCHIVE...\n"
       "                      extract each ZIP archive into DIR (made when missing) or beside\n"
       "                      the archive, recreating its folders. Existing files are never\n"
       "                      replaced: the member is skipped. Members with unsafe names\n"
       "                      (\"..\", absolute paths, drive letters), links, bad CRCs, other\n"
       "                      methods than stored and deflated, or sizes beyond the bomb limits\n"
       "                      are not extracted; each gives a line on stderr and exit status 1.\n"
       "                      --list: one line per member, tab-separated: archive, name, date,\n"
       "                      size, percent saved, packed size; nothing is extracted.",
       RunUnzip},
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
      {"desktop-files", DesktopSynopsis(), RunDesktopFiles},
  };
  return commands;
}

}  // namespace pelira::cli
