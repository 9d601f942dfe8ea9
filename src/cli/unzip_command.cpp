// pelira-cli unzip: the UnZipper's reader and extractor without the window. Existing files are
// never replaced (the window's default "skip duplicate target files"); archives are never
// recycled.
#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>

#include "cli/commands.h"
#include "tools/unzip_run.h"
#include "tools/zip_archive.h"
#include "tools/zip_extract.h"

namespace pelira::cli {

namespace fs = std::filesystem;

int RunUnzip(const Args& args, std::ostream& out, std::ostream& err) {
  bool list = false;
  std::string to;
  std::vector<std::string> archives;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--list") {
      list = true;
    } else if (a == "--to") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        err << "pelira-cli unzip: --to needs a folder\n";
        return 2;
      }
      to = args[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      err << "pelira-cli unzip: unknown option '" << a << "'\n";
      return 2;
    } else {
      archives.push_back(a);
    }
  }
  if (archives.empty()) {
    err << "pelira-cli unzip: no archive given (see pelira-cli --help)\n";
    return 2;
  }

  int rc = 0;
  if (list) {
    for (const std::string& path : archives) {
      ZipArchive zip;
      if (!zip.Open(path)) {
        err << "pelira-cli: " << path << ": is incomplete or corrupted: " << zip.Error() << "\n";
        rc = 1;
        continue;
      }
      for (const ZipEntry& e : zip.Entries())
        out << path << "\t" << e.name << "\t" << ZipDateText(e.dosDate, e.dosTime) << "\t" << e.uncompressedSize
            << "\t" << ZipSavedPercent(e.uncompressedSize, e.compressedSize) << "\t" << e.compressedSize << "\n";
    }
    return rc;
  }

  if (!to.empty()) {
    std::error_code ec;
    fs::create_directories(to, ec);
    if (!fs::is_directory(to, ec)) {
      err << "pelira-cli: " << to << ": cannot make the folder\n";
      return 1;
    }
  }
  int total = 0;
  for (const std::string& path : archives) {
    const fs::path target = to.empty() ? fs::absolute(path).parent_path() : fs::path(to);
    ZipExtractCallbacks callbacks;
    callbacks.warning = [&](const std::string& text) { err << "pelira-cli: " << text << "\n"; };
    const ZipExtractResult r = ExtractZip(path, target, ZipExtractOptions{}, callbacks);
    total += r.filesExtracted;
    for (const std::string& line : r.log) err << "pelira-cli: " << line << "\n";
    if (r.failed || !r.log.empty()) rc = 1;
  }
  out << total << " file(s) unzipped.\n";
  return rc;
}

}  // namespace pelira::cli
