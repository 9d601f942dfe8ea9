#pragma once
// Extracting a ZIP archive into a folder so that nothing escapes and nothing is lost:
// - a member lands inside the target folder or nowhere: names with "..", absolute paths,
//   drive letters or control characters are refused, links are never made or followed (the
//   folders are walked one by one without following links);
// - each member goes to a temporary file beside its target and takes its name only after its
//   size and CRC were checked, and never over an existing file (a numbered duplicate moves the
//   existing file aside first, without replacing anything either);
// - a member or archive that would expand beyond the limits is refused;
// - every member that was not extracted leaves a line in the log.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/zip_archive.h"

namespace pelira {

struct ZipLimits {
  // Members and archives below this size are never taken for bombs.
  std::uint64_t ratioFloor = std::uint64_t{64} << 20;
  // Uncompressed : compressed beyond this is a bomb (deflate reaches about 1030 : 1; photos 1 : 1).
  std::uint64_t maxRatio = 200;
  // No archive may expand to more than this in all.
  std::uint64_t maxTotal = std::uint64_t{256} << 30;
};

struct ZipExtractOptions {
  // On: a member whose target exists is skipped; off: the existing file is moved aside to a
  // numbered duplicate name first.
  bool skipDuplicates = true;
  // Only the member of this name (the single-file extraction); all members when empty.
  std::optional<std::string> onlyMember;
  ZipLimits limits;
};

struct ZipExtractCallbacks {
  // After every chunk: bytes produced so far in this archive and the archive's total. False
  // stops the extraction; the member being written is removed.
  std::function<bool(std::uint64_t done, std::uint64_t total)> progress;
  // "Could not rename " + target: the existing file could not be moved aside.
  std::function<void(const std::string& text)> warning;
};

struct ZipExtractResult {
  int filesExtracted = 0;
  bool failed = false;   // the archive could not be read or was refused as a whole
  bool stopped = false;  // the progress callback asked to stop
  std::vector<std::string> log;  // one line per member (or archive) that was not extracted
};

// The path parts of a member name inside the target folder ("\" separates too), or nullopt
// when the name is unsafe. A trailing separator (a folder member) gives no extra part.
std::optional<std::vector<std::string>> SafeMemberPath(const std::string& name);

// base + "." + n + lower-case extension: "Photo.JPG", 2 gives "Photo.2.jpg".
std::string NumberedName(const std::string& leaf, int n);

// Extracts the archive at archivePath into targetFolder, which must exist. archiveLabel names
// the archive in log lines.
ZipExtractResult ExtractZip(const std::filesystem::path& archivePath, const std::filesystem::path& targetFolder,
                            const ZipExtractOptions& options, const ZipExtractCallbacks& callbacks = {});

// Log lines (texts the exception log and the command line show).
std::string BadCrcLine(const std::string& member, const std::string& archive);
std::string ExistsSkippedLine(const std::string& member, const std::string& archive);

// Writes the exception log, one CRLF-ended line each, atomically; false when it cannot.
bool WriteZipErrsLog(const std::filesystem::path& file, const std::vector<std::string>& lines, std::string* error);

}  // namespace pelira
