#pragma once
// The batch file commands of the viewer (Tools › Batch, File › Copy to / Move to / Delete):
// each takes a copy of the bookmark list (or the current file), asks what it needs through
// one BatchFileDialogs and the Ui, and does its work through the no-loss operations of
// file_ops.h, batch_convert.h, date_name.h and renumber.h. The window only reads the outcome.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "image/jpeg_wizard_settings.h"

namespace pelira {

class Shell;
class Ui;

// Every dialog the commands ask for: Qt ones in the program, a fake in tests.
class BatchFileDialogs {
public:
  virtual ~BatchFileDialogs() = default;
  // The work list for review, read-only, captioned with the operation; false: Cancel.
  virtual bool Review(const std::string& caption, const std::vector<std::string>& files) = 0;
  // A folder, starting in start; none: Cancel.
  virtual std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) = 0;
  // One line of text; none: Cancel.
  virtual std::optional<std::string> AskText(const std::string& caption, const std::string& label,
                                             const std::string& initial) = 0;
  // Shows the file with the desktop's "open"; false when nothing could.
  virtual bool OpenFile(const std::string& path) = 0;
};

inline constexpr const char* kReviewConverted = "Batch Source Files to be Converted";
inline constexpr const char* kReviewRenamed = "Batch Source Files to be Renamed";
inline constexpr const char* kReviewMoved = "Batch Source Files to be Moved";
inline constexpr const char* kReviewRecycled = "Batch Source Files to be Recycled";
inline constexpr const char* kReviewDeleted = "Batch Source Files to be Deleted";
inline constexpr const char* kTextViewerNotFound = "Text viewer not found.";
inline constexpr const char* kCannotAccessBatch =
    "Cannot access drive/folder.\nCheck device or security settings.\nBatch aborted.";
inline constexpr const char* kScriptQuestion =
    "Batch Editor is active.  Process (perform) batch\ncommands on bookmarked images before writing to disk?";
inline constexpr std::size_t kVerifyQuestionAbove = 16000;

struct BatchContext {
  std::vector<std::string> bookmarks;  // in list order
  std::string currentFile;             // the path box's file; empty: none
  std::string lastTargetFolder;        // the last folder chosen for copy, move or conversion
  std::string programFolder;           // the last resort for the first folder prompt
  std::string logFolder;               // where BatchExceptions.txt goes
  // Asked once before a batch when the picture has unsaved edits; false stops the batch.
  bool imageModified = false;
  std::function<bool()> confirmUnsavedEdits;
  // The batch editor's script when its window is open (asked about before a conversion).
  std::optional<std::vector<std::string>> openScript;
  TJpegWizardSettings jpeg;
  Ui* ui = nullptr;
  Shell* shell = nullptr;
  BatchFileDialogs* dialogs = nullptr;
  int jobs = 1;
};

struct BatchOutcome {
  bool ran = false;              // the work started (the user did not cancel)
  bool clearBookmarks = false;   // a batch rename, move or delete ran
  bool dropCurrent = false;      // the single file moved or deleted: its bookmark goes
  std::vector<std::string> written;  // outputs or new names
  std::string lastTargetFolder;  // updated when a folder was chosen
};

// Tools › Batch › "to &JPG" .. "to PC&X" (tags 0..5).
BatchOutcome BatchConvertCommand(BatchContext& context, int tag);
// Tools › Batch › "Date&Name"; keepNames with Shift.
BatchOutcome DateNameCommand(BatchContext& context, bool keepNames);
// Tools › Batch › "&Rename"; numericPrefix with Shift.
BatchOutcome RenumberCommand(BatchContext& context, bool numericPrefix);
// File › "Cop&y to" / "&Move to" (the current file) and Tools › Batch › "&Move" (batch).
BatchOutcome CopyMoveCommand(BatchContext& context, bool move, bool batch);
// File › "&Delete" (the current file) and Tools › Batch › "&Delete" (batch); permanent with
// Shift.
BatchOutcome DeleteCommand(BatchContext& context, bool permanent, bool batch);

// The folder the next folder prompt starts in: the last target if it exists, else the
// current file's folder if it exists, else fallback.
std::string StartFolder(const std::string& lastTarget, const std::string& currentFile, const std::string& fallback);

}  // namespace pelira
