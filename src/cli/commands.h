#pragma once
// The commands of pelira-cli. Each takes the arguments after its name and returns the exit
// status: 0 success, 1 when any input failed (one line on stderr naming the file and the
// reason), 2 for a usage error.
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "image/codec_registry.h"
#include "image/dib.h"

namespace pelira::cli {

using Args = std::vector<std::string>;
using CommandFn = std::function<int(const Args& args, std::ostream& out, std::ostream& err)>;

struct Command {
  const char* name;
  std::string synopsis;  // one or more lines for --help
  CommandFn run;
};

// Every command the build has, in --help order.
const std::vector<Command>& AllCommands();

// The whole program: argv without the program name.
int Main(const Args& args, std::ostream& out, std::ostream& err);

std::string HelpText();

// info_convert.cpp
// The save type an output name asks for (.bmp 1, .pcx 2, .png 3, .jpg 5, .tga 6, .tif 7); 0: none.
int SaveTypeForPath(const std::string& path);
// Encodes picture as the save type and writes outPath atomically; 1 (and a line on err) on failure.
int WritePicture(Dib& picture, int type, const SaveOptions& options, const std::string& outPath,
                 std::ostream& err);
// The save dialog's types 1..12: default extension and filter entry; nullptr outside.
const char* SaveTypeExtension(int type);
const char* SaveTypeFilter(int type);
int RunInfo(const Args& args, std::ostream& out, std::ostream& err);
int RunConvert(const Args& args, std::ostream& out, std::ostream& err);
// The --help lines of the commands whose options come from a table.
std::string ConvertSynopsis();
std::string RunSynopsis();
std::string ApplySynopsis();
// apply_command.cpp
int RunApply(const Args& args, std::ostream& out, std::ostream& err);
// run_script.cpp
int RunScript(const Args& args, std::ostream& out, std::ostream& err);
int RunShow(const Args& args, std::ostream& out, std::ostream& err);  // show_command.cpp
// exif_command.cpp
int RunExif(const Args& args, std::ostream& out, std::ostream& err);
int RunComment(const Args& args, std::ostream& out, std::ostream& err);
int RunUnzip(const Args& args, std::ostream& out, std::ostream& err);  // unzip_command.cpp
int RunDesktopFiles(const Args& args, std::ostream& out, std::ostream& err);  // desktop_command.cpp
std::string DesktopSynopsis();
int RunAlbum(const Args& args, std::ostream& out, std::ostream& err);  // album_command.cpp

}  // namespace pelira::cli
