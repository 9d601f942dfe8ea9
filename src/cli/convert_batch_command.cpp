// pelira-cli convert-batch: the batch conversion of the viewer's Tools › Batch menu over
// files, with the inputs' list, sharing and summary of the batch commands.
#include <sys/stat.h>

#include <filesystem>
#include <ostream>

#include "batch/batch_convert.h"
#include "batch/bip_file.h"
#include "cli/commands.h"
#include "cli/input_list.h"
#include "cli/options.h"

namespace pelira::cli {

namespace fs = std::filesystem;

namespace {

struct BatchConvertOptions {
  ConvertSettings settings;
  bool hasTarget = false;
  bool hasFolder = false;
  std::string script;
  std::string log;
  int jobs = 1;
  bool dryRun = false;
  InputSelection inputs;
};

OptionTable ConvertBatchTable(BatchConvertOptions& o) {
  OptionTable t = {
      {"--to", "EXT", "the target: jpg, bmp, png, tif (deflated), tga or pcx",
       [&o](const std::string& v) {
         o.settings.tag = ConvertTagOf(v);
         o.hasTarget = o.settings.tag >= 0;
         return o.hasTarget;
       },
       "wants jpg, bmp, png, tif, tga or pcx"},
      {"--out", "DIR", "the folder every picture is written to (required)",
       [&o](const std::string& v) {
         if (v.empty()) return false;
         o.settings.folder = v;
         o.hasFolder = true;
         return true;
       },
       "wants a folder"},
      {"--script", "FILE.bip", "run this batch script on each picture before it is written",
       [&o](const std::string& v) {
         o.script = v;
         return !v.empty();
       },
       "wants a script file"},
      NumberOption("--jobs", "N", "pictures loaded and encoded at once (default 1); names are\nclaimed in list order whatever N is", 1, 64, &o.jobs,
                   "wants 1..64"),
      NumberOption("--scale", "N", "JPG: the compression scale 1..255 (default 48)", 1, 255, &o.settings.jpeg.scale,
                   "wants 1..255"),
      {"--progressive", nullptr, "JPG: progressive encoding",
       [&o](const std::string&) {
         o.settings.jpeg.progressive = true;
         return true;
       }},
      {"--subsample", nullptr, "JPG: chroma subsampling",
       [&o](const std::string&) {
         o.settings.jpeg.subsample = true;
         return true;
       }},
      {"--smoothing", "METHOD", "JPG: standard, parametric or clean (default standard)",
       [&o](const std::string& v) {
         if (v == "standard") o.settings.jpeg.method = TJpegSmoothingMethod::Standard;
         else if (v == "parametric") o.settings.jpeg.method = TJpegSmoothingMethod::Parametric;
         else if (v == "clean") o.settings.jpeg.method = TJpegSmoothingMethod::Clean;
         else return false;
         return true;
       },
       "wants standard, parametric or clean"},
      NumberOption("--strength", "N", "JPG: the smoothing strength 0..255 (default 0)", 0, 255,
                   &o.settings.jpeg.strength, "wants 0..255"),
      {"--no-interlace", nullptr, "PNG without interlace (default: interlaced)",
       [&o](const std::string&) {
         o.settings.save.progressive = false;
         return true;
       }},
      {"--log", "FILE", "also write the \"Skipped: \" lines to FILE (CRLF ends)",
       [&o](const std::string& v) {
         o.log = v;
         return !v.empty();
       },
       "wants a file"},
      FlagOption("--dry-run", "print the plan (source TAB output) and write nothing", &o.dryRun),
  };
  AddInputOptions(t, &o.inputs);
  return t;
}

}  // namespace

std::string ConvertBatchSynopsis() {
  BatchConvertOptions o;
  return "  convert-batch --to EXT --out DIR [OPTIONS] FILE...\n"
         "                      convert every picture (.jpg .jpeg .png .dcx .pcx .bmp .dib .tif\n"
         "                      .tga .pcd .psd .gif) into DIR, in the sorted order of the list:\n"
         "                      name.EXT, or name-1.EXT ... name-999.EXT when taken; a file is\n"
         "                      never replaced. Files that are not pictures or fail to load are\n"
         "                      skipped (\"Skipped: PATH\" on stderr, exit status 1). JPG files\n"
         "                      carry the batch comment. Disk full or a write error ends the run.\n" +
         OptionHelp(ConvertBatchTable(o));
}

int RunConvertBatch(const Args& args, std::ostream& out, std::ostream& err) {
  BatchConvertOptions o;
  Args positional;
  if (!ParseOptions("convert-batch", ConvertBatchTable(o), args, &positional, err)) return 2;
  if (!o.hasTarget || !o.hasFolder) {
    err << "pelira-cli convert-batch: --to and --out are needed (see pelira-cli --help)\n";
    return 2;
  }
  std::vector<std::string> files;
  if (!SelectInputs("convert-batch", o.inputs, positional, true, &files, err)) return 1;
  std::error_code ec;
  if (!fs::is_directory(o.settings.folder, ec)) {
    err << "pelira-cli: " << o.settings.folder.string() << ": not a folder\n";
    return 1;
  }
  if (!o.script.empty()) {
    std::string why;
    const auto script = ReadBipFile(o.script, &why);
    if (!script) {
      err << "pelira-cli: " << why << "\n";
      return 1;
    }
    o.settings.script = *script;
  }
  if (o.dryRun) {
    for (const PlannedOutput& p : PlanConvertNames(files, o.settings))
      out << p.source << "\t" << (p.output.empty() ? "(skipped)" : p.output) << "\n";
    return 0;
  }
  const ConvertRun run = ConvertBatch(files, o.settings, o.jobs, [&](std::size_t, std::size_t, const ConvertItem& item) {
    if (item.status != ConvertStatus::Written)
      err << "pelira-cli convert-batch: " << (item.status == ConvertStatus::Skipped ? "Skipped: " : "Failed: ")
          << item.source << " (" << item.message << ")\n";
    if (o.inputs.summaryJson)
      SummaryLine(out, item.source, ConvertStatusName(item.status),
                  item.output.empty() ? std::vector<std::string>{} : std::vector<std::string>{item.output},
                  item.seconds);
    return true;
  });
  int status = 0;
  for (const ConvertItem& item : run.items)
    if (item.status != ConvertStatus::Written) status = 1;
  if (run.aborted) {
    err << "pelira-cli convert-batch: " << run.abortText << "\n";
    status = 1;
  }
  if (!o.log.empty() && !run.log.empty() && !WriteExceptionLog(o.log, run.log)) {
    err << "pelira-cli: " << o.log << ": cannot write the log\n";
    status = 1;
  }
  return status;
}

}  // namespace pelira::cli
