#pragma once
// File operations of the batch commands that never lose a file: renames refuse existing
// names, moves across file systems delete the source only after the copy is placed and
// synced, a copy onto itself is refused, and deletes go to the trash unless a permanent
// delete was confirmed.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pelira {

class Shell;
class Ui;

// rename(from, to) that fails with EEXIST instead of replacing to. 0 or the errno.
int RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

struct RenameStep {
  std::string from;  // full paths
  std::string to;
};

struct RenameReport {
  int renamed = 0;
  std::vector<std::string> done;      // targets reached, in plan order
  std::vector<std::string> failures;  // "Could not rename " + name
};

// Carries out a rename plan. Steps whose target is the source of another step go through a
// private temporary name first, so [b->a, a->b] swaps and [pic2->pic1, pic1->pic2] never
// replaces; a target held by a file outside the plan is refused for that step alone. A step
// that fails leaves its file under its old name (or, if another step took that name in the
// meantime, under "old name.kept-N"); no file is ever removed.
RenameReport ApplyRenames(const std::vector<RenameStep>& plan);

std::string CouldNotRenameText(const std::string& path);

// --- copy and move -----------------------------------------------------------------------

enum class TransferKind { Copy, Move };

struct TransferOptions {
  // Asked when folder/name exists; true replaces it. Empty: never replace.
  std::function<bool(const std::string& target)> overwrite;
  // Copy even when a rename would do (the cross-device path, for tests and odd mounts).
  bool forceCopy = false;
  // Called after each copied chunk with the bytes so far.
  std::function<void(std::uint64_t copied)> onChunk;
};

struct TransferResult {
  bool ok = false;
  bool skipped = false;  // the user kept the existing target
  std::string target;
  std::string message;  // why not
};

// Copies or moves one regular file into folder, keeping its name.
TransferResult TransferFile(const std::filesystem::path& source, const std::filesystem::path& folder,
                            TransferKind kind, const TransferOptions& options = {});

// "Cannot copy x onto itself." and its kin.
std::string OntoItselfText(const std::string& path, TransferKind kind);

// --- delete ------------------------------------------------------------------------------

inline constexpr const char* kRecycleQuestionKey = "batch.recycle";

struct DeleteReport {
  bool asked = false;       // the user was asked and said no: nothing happened
  int removed = 0;
  std::vector<std::string> removedPaths;
  std::vector<std::string> failures;  // one text per file kept
};

// Moves files to the trash through shell, or deletes them when permanent. A permanent delete
// always asks ("Delete " + n + " files?" or for one file its name) with Yes and No only, so
// it cannot be silenced; the trash asks "Recycle ..." which Ignore silences for the run. A
// trash failure keeps the file and reports the failure: it never becomes a permanent delete.
// Links are removed, never followed.
DeleteReport DeleteFiles(const std::vector<std::string>& files, bool permanent, Ui& ui, Shell& shell);

std::string PermanentDeleteQuestion(const std::vector<std::string>& files);
std::string RecycleQuestion(const std::vector<std::string>& files);

}  // namespace pelira
