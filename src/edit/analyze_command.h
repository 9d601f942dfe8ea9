#pragma once
// Image › Analyze: the analysis report of the current picture, or of two pictures in
// comparison mode, shown in a message box and saved to "ImageReport.txt" in the program's
// folder, which then opens in the desktop's text viewer. The report measures private copies:
// the user's picture, its modified flag, the undo copy and the duplicate stay as they were.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "edit/picture_state.h"
#include "engine/analysis.h"
#include "image/dib.h"

namespace pelira {

struct AnalyzeRequest {
  std::string currentFile;             // the picture's file
  bool modified = false;               // edited, or shown as a half-size JPEG or fitted
  std::optional<SelectionBounds> roi;  // a drawn selection: only that part is measured
  bool complexity = false;             // Shift: add the complexity rating
  std::optional<std::string> compareWith;  // comparison mode: the other bookmark's file
};

struct AnalyzeOutcome {
  bool ran = false;
  std::vector<std::string> lines;
  std::string error;  // shown already
  bool saved = false;
};

// The file's name, folder and size for the report.
AnalysisSubject SubjectOfFile(const std::filesystem::path& path);
// A picture file loaded as the viewer loads it; empty with the reason when it cannot be.
Dib LoadForAnalysis(const std::string& path, std::string* error);
// The part of the picture under a selection (half-open); the whole picture when the
// selection does not lie inside it.
Dib RegionOfInterest(const Dib& picture, const SelectionBounds& s, bool* used);

// The report lines alone (the command line's analyze): no box, no file.
AnalyzeOutcome AnalyzeReport(const Dib& picture, const AnalyzeRequest& request);

// The menu command: the report, its box (outside comparison mode "Save to text file?"), the
// atomic save and the desktop's "open" of the saved file.
AnalyzeOutcome RunAnalyze(const Dib& picture, const AnalyzeRequest& request);
// The second half of RunAnalyze, after the measuring: the error, or the box and the save.
AnalyzeOutcome PresentReport(AnalyzeOutcome measured, bool comparison);

// Where the report is saved.
std::filesystem::path ImageReportPath();

}  // namespace pelira
