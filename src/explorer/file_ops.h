#pragma once
// The explorer's file operations: open dispatch, renames, new folders, copy, move and delete.
// None of them loses a file: nothing replaces an existing file unless the user said so for
// that file, a move across file systems removes the source only after the copy is complete
// and on disk, a folder never goes into itself, and removing never follows a symbolic link.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/file_ops.h"  // TransferKind

namespace pelira {

class Shell;

inline constexpr const char* kIllegalCharactersText = "Illegal characters.  Avoid these characters \\/:*?\"<>|";
inline constexpr const char* kSameFolderText = "Source (or parent) and destination folders are the same.";
inline constexpr const char* kNoAssociationText = "Associated application not found.";
inline constexpr const char* kCannotAccessText = "Cannot access drive/folder.\nCheck device or security settings.\n\n";
inline constexpr const char* kFoldersForDeletionText = "Folder(s) selected for deletion.\n\n";

// --- open --------------------------------------------------------------------------------------

enum class OpenAction { EnterFolder, Viewer, BatchEditor, Album, Unzipper, Shell };
// What "Open" does with one item; playMedia: the viewer plays sound and video kinds.
OpenAction OpenActionFor(bool folder, std::string_view upperExt, bool playMedia);

// The plan for opening a selection of several items.
struct OpenItem {
  std::string path;
  bool folder = false;
  std::string ext;  // upper-case with the dot
};
struct OpenPlan {
  std::string enterFolder;              // a lone folder becomes current
  std::string viewerFirst;              // shown in the viewer
  std::vector<std::string> bookmarks;   // appended to the viewer's list, exact case
  std::vector<std::string> batchFiles;  // the batch editor opens the first
  std::vector<std::string> albums;
  std::vector<std::string> archives;
  std::vector<std::string> shellOpen;  // in order; stop at the first failure
};
OpenPlan PlanOpen(const std::vector<OpenItem>& items, bool playMedia);

// --- names -------------------------------------------------------------------------------------

// The warning for a new name the list refuses, or "" when the name may be used. Refused: the
// nine characters \ / : * ? " < > |, "", ".", "..", line breaks, NUL and names over 255 bytes.
std::string CheckNewName(std::string_view name);

struct OpResult {
  bool ok = false;
  std::string message;  // the text to show on failure
  std::string newName;  // what was made (new folders)
};

// Renames folder/oldName to folder/newName without ever replacing an existing item; an existing
// target gives newName + "\n" + "already used.". A name that differs only in case from the old
// one is allowed on file systems that fold case (same inode).
OpResult RenameItem(const std::filesystem::path& folder, const std::string& oldName, const std::string& newName);

// "New Folder", else "New Folder (n)" with n = 2, 3, ... for the first name not taken.
std::string NewFolderName(const std::function<bool(const std::string&)>& taken);
// Makes the new folder in folder; the name made is in newName.
OpResult CreateNewFolder(const std::filesystem::path& folder);

// "Shortcut to " + name + ".LNK": the link made for a drop with the link modifier.
std::string ShortcutName(const std::string& name);
OpResult MakeShortcut(const std::filesystem::path& target, const std::filesystem::path& folder);

// --- copy and move -----------------------------------------------------------------------------

// The folder chooser's title: "Copy" / "Move" + " \"name\" to " or " n items to ".
std::string TransferTitle(TransferKind kind, const std::vector<std::string>& names);

// Why a transfer of sources into target is refused, or "" when it may go: the target is a
// source's own folder, a source folder itself or a folder inside it.
std::string CheckTransfer(const std::vector<std::filesystem::path>& sources, const std::filesystem::path& target);

enum class ConflictAnswer { Replace, Skip, Cancel };
// Asked for each target that exists already; default: skip.
using ConflictFn = std::function<ConflictAnswer(const std::filesystem::path& target)>;

struct TransferReport {
  int done = 0;
  int skipped = 0;
  bool cancelled = false;
  std::vector<std::string> errors;  // one text per item that failed (the source stays)
};
// Copies or moves each source into target. Files go through a temporary beside the target
// that is flushed to disk and then linked in place, so a failure leaves no partial file and an
// existing file is replaced only on Replace. A move renames within a file system; across file
// systems it copies, syncs and then removes the source. Symbolic links are copied as links.
TransferReport Transfer(TransferKind kind, const std::vector<std::filesystem::path>& sources,
                        const std::filesystem::path& target, const ConflictFn& conflict = {});

// --- delete ------------------------------------------------------------------------------------

// The question before a permanent delete (never silenced): "Delete n files?" or
// "Delete folder \"x\" ?" for one folder.
std::string PermanentDeleteQuestion(const std::vector<std::filesystem::path>& items, bool oneFolder);
// "Recycle folder \"x\" ?" / "Delete folder \"x\" ?" of the tree's delete.
std::string TreeDeleteQuestion(const std::string& folderName, bool permanent);

struct DeleteResult {
  int done = 0;
  std::vector<std::string> errors;  // a failed item stays where it was
};
// To the trash through shell, or removed for good when permanent (links removed, never
// followed).
DeleteResult DeleteItems(const std::vector<std::filesystem::path>& items, bool permanent, Shell& shell);

}  // namespace pelira
