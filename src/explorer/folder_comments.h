#pragma once
// Folder comments: "FILELIST.PLX" (one file name a line) and "FILETEXT.PLX" (line i is the
// comment of name i) inside the commented folder. They are read without following links or
// blocking on FIFOs, and written atomically, names first; a folder whose files could not be
// read is never written, so a read failure cannot wipe its comments.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pelira {

inline constexpr const char* kCommentNamesFile = "FILELIST.PLX";
inline constexpr const char* kCommentTextsFile = "FILETEXT.PLX";
inline constexpr const char* kCannotWriteCommentsText = "Cannot write comments to current folder.";
inline constexpr std::size_t kMaxCommentFileBytes = 16u << 20;

class FolderComments {
public:
  enum class State { Absent, Loaded, Failed };

  // Clears both lists and reads folder's files when the names file exists.
  void Load(const std::filesystem::path& folder);
  // The lists from the two files' bytes (texts absent: every comment empty); state Loaded.
  void Parse(std::string_view names, const std::string_view* texts);
  void Clear();

  State GetState() const { return state_; }
  bool IsLoaded() const { return loaded_; }
  const std::filesystem::path& Folder() const { return folder_; }
  const std::vector<std::string>& Names() const { return names_; }
  const std::vector<std::string>& Texts() const { return texts_; }

  // The comment of name: an exact match first, else the first match with ASCII case folded;
  // "" when none.
  std::string Find(std::string_view name) const;
  // Whether a name can carry a comment (no line breaks, NUL, or bytes that are not UTF-8).
  static bool CanComment(std::string_view name);

  // Sets name's comment (line breaks become blanks) and writes both files. Only an exact
  // entry is replaced. Returns "" or the warning to show; the lists keep the change either way.
  std::string Set(const std::string& name, const std::string& text);

  // The names (of those given) whose comment contains keyword, ASCII case folded.
  std::vector<std::string> Query(std::string_view keyword, const std::vector<std::string>& names) const;

private:
  std::filesystem::path folder_;
  std::vector<std::string> names_, texts_;
  State state_ = State::Absent;
  bool loaded_ = false;
};

}  // namespace pelira
