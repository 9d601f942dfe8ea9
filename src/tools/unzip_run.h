#pragma once
// The UnZipper's behaviour without its window: the archive list and its selection, the
// contents grid of the archive under the cursor, the extraction runs with their questions,
// progress, exception log and recycling. The window only forwards to it and paints.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/zip_extract.h"

namespace pelira {

class Ui;
class Shell;

inline constexpr const char* kUnZipCaption = "Pelira 7.7 UnZipper";
inline constexpr int kUnZipHelpContext = 150;
inline constexpr const char* kZipFilter = "ZIP (compressed archive)|*.zip";
inline constexpr const char* kZipOpenTitle = "Select source *.zip file(s)";

// Every dialog the UnZipper asks for; the window hands in Qt ones, tests fakes.
class UnZipDialogs {
public:
  virtual ~UnZipDialogs() = default;
  // The open dialog (kZipFilter, kZipOpenTitle, default extension "zip", several files)
  // starting in folder: the chosen files in the dialog's order, empty when cancelled.
  virtual std::vector<std::string> ChooseArchives(const std::string& folder) = 0;
  // The folder dialog titled title, starting in start: the folder, "" when cancelled.
  virtual std::string ChooseFolder(const std::string& title, const std::string& start) = 0;
  // Opens a text file in the desktop's viewer for it; false when there is none.
  virtual bool OpenDocument(const std::string& file) = 0;
  virtual void Beep() = 0;
};

// One row of the contents grid; date, size, percent and packed size stay empty unless both
// sizes are above 0.
struct ZipGridRow {
  std::string name;
  std::string date;
  std::string size;
  std::string percent;
  std::string packSize;
};

// (uncompressed - compressed) * 100 div uncompressed, in 64 bits (negative when it grew).
std::int64_t ZipSavedPercent(std::uint64_t uncompressed, std::uint64_t compressed);

enum class ExtractCommand { All, Selected };

class UnZipper {
public:
  UnZipper(Ui& ui, Shell& shell, UnZipDialogs& dialogs);

  // --- the archive list ---
  const std::vector<std::string>& Archives() const { return archives_; }
  // Adds an archive by its absolute, normal path (case kept); false when already listed.
  bool AddArchive(const std::string& path);
  // "&Add": the open dialog; its files join in reverse order, the dialog then starts in the
  // folder of the choice.
  void Add();
  // Dropped files: those ending in ".zip" (any case) that exist.
  void Drop(const std::vector<std::string>& paths);
  void Clear();
  // Removes the selected archives from the list (the files stay), then views.
  void Cut();
  // Asks, then moves the selected archives that exist to the trash and cuts them.
  void Delete();

  // The list's selection (indices into Archives()) and the item under its cursor (-1: none).
  void SetSelection(std::vector<int> selected, int current);
  const std::vector<int>& Selection() const { return selected_; }
  int Current() const { return current_; }

  // --- the contents grid ---
  // Shows the current archive's members; an unreadable one shows the error box and no rows.
  void View();
  const std::vector<ZipGridRow>& Rows() const { return rows_; }
  // Choosing a grid row makes its name the selected member.
  void SelectMember(int row);
  const std::string& SelectedMember() const { return selectedMember_; }

  // --- options, status ---
  bool SkipDuplicates() const { return skipDuplicates_; }
  // Toggles and tells what it now means.
  void ToggleSkipDuplicates();
  void SetLimits(const ZipLimits& limits) { limits_ = limits; }
  std::string StatusText();
  bool Extracting() const { return extracting_; }
  const std::vector<std::string>& Log() const { return log_; }

  // "E&xtract all" and "&Selected Zips"; shiftHeld extracts next to each archive without a
  // question. Answers whether the window should close afterwards.
  bool Extract(ExtractCommand command, bool shiftHeld);
  // "Single &File": the selected member of each selected archive.
  void ExtractSingleFile();
  // The selected member of the current archive extracted into a new folder of the run's
  // temporary folder, for the viewer to open; "" after an error box when it cannot be.
  std::string ExtractSelectedForViewing();

  // Called after a run so folder views can refresh.
  std::function<void()> filesChanged;

private:
  struct RunResult {
    int total = 0;
    bool aborted = false;
    bool anyFailed = false;
    bool started = true;
  };
  void RemoveMissing();
  std::string AskFolder(const std::string& title);
  RunResult Run(const std::vector<int>& which, const std::string& folder, bool sourceFolders,
                const std::optional<std::string>& onlyMember);
  void ReportLog(int total);
  void RemoveIndices(std::vector<int> indices);

  Ui& ui_;
  Shell& shell_;
  UnZipDialogs& dialogs_;
  std::vector<std::string> archives_;
  std::vector<int> selected_;
  int current_ = -1;
  std::vector<ZipGridRow> rows_;
  std::string selectedMember_;
  std::string shownArchiveName_;
  std::vector<std::string> log_;
  bool skipDuplicates_ = true;
  bool extracting_ = false;
  std::string openFolder_;
  ZipLimits limits_;
};

}  // namespace pelira
