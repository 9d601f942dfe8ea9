#pragma once
// Batch conversion: every listed picture loaded, optionally run through a script, and
// written in one format into one folder, never replacing a file (name, name-1 ... name-999).
// A file that is not a picture, or fails to load, is skipped and logged; it is never written
// as the blank picture.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "edit/save_as.h"
#include "image/jpeg_wizard_settings.h"

namespace pelira {

// The extensions a conversion takes, as the kind-list test reads them.
inline constexpr const char* kConvertKinds = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.GIF";
inline constexpr int kConvertTargetCount = 6;

// Target tags 0..5: "jpg", "bmp", "png", "tif", "tga", "pcx"; nullptr outside.
const char* ConvertExtension(int tag);
// The tag of an extension name ("png", "PNG", ".png"); -1 when none.
int ConvertTagOf(const std::string& extension);

struct ConvertSettings {
  int tag = 0;
  std::filesystem::path folder;
  TJpegWizardSettings jpeg;  // JPG targets: the wizard's compression and smoothing
  SaveOptions save;          // PNG interlace (progressive) and the like
  std::vector<std::string> script;  // run on each picture before it is written; empty: none
  FreeSpaceFn freeSpace = AvailableBytes;
};

enum class ConvertStatus { Written, Skipped, Failed };
const char* ConvertStatusName(ConvertStatus s);  // "written", "skipped", "failed"

struct ConvertItem {
  std::string source;
  ConvertStatus status = ConvertStatus::Skipped;
  std::string output;   // the name written
  std::string message;  // why skipped or failed
  double seconds = 0;
};

struct ConvertRun {
  std::vector<ConvertItem> items;  // in list order, for the files reached
  bool aborted = false;
  std::string abortText;            // "Insufficient disk space. ..." or "Batch aborted."
  std::vector<std::string> log;     // "Skipped: " + path
};

// Called on the calling thread after each file in list order; false stops the batch there.
using ConvertProgressFn = std::function<bool(std::size_t done, std::size_t count, const ConvertItem& item)>;

// Converts the files (duplicates dropped, order kept). jobs > 1 loads and encodes on worker
// threads; names are still claimed in list order, so the outputs equal those of one job.
ConvertRun ConvertBatch(const std::vector<std::string>& files, const ConvertSettings& settings, int jobs = 1,
                        const ConvertProgressFn& progress = {});

// The names a conversion would write, for a dry run: list order, taken names skipped.
struct PlannedOutput {
  std::string source;
  std::string output;  // empty: skipped (not a picture kind, or no free name)
};
std::vector<PlannedOutput> PlanConvertNames(const std::vector<std::string>& files, const ConvertSettings& settings);

// The texts of the batch.
std::string BatchDiskSpaceText(std::uint64_t required, std::uint64_t available);
inline constexpr const char* kBatchAbortedText = "Batch aborted.";
std::string SkippedFilesQuestion(std::size_t skipped);
std::string ConvertFolderTitle(std::size_t count, int tag);  // "Write 3 .JPG files in"
inline constexpr const char* kExceptionLogName = "BatchExceptions.txt";
// Writes the lines (CRLF ends) to path atomically; false when that fails.
bool WriteExceptionLog(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace pelira
