#include "explorer/folder_comments.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "common/atomic_file.h"
#include "common/text_encoding.h"

namespace fs = std::filesystem;

namespace pelira {

namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EqualFolded(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

bool ContainsFolded(std::string_view hay, std::string_view needle) {
  if (needle.empty()) return false;
  return std::search(hay.begin(), hay.end(), needle.begin(), needle.end(),
                     [](char x, char y) { return Fold(x) == Fold(y); }) != hay.end();
}

// The file's bytes when it is a regular file (not a link, FIFO or device) of sane size;
// nullopt on any failure. Missing: an empty optional with missing set.
std::optional<std::string> ReadPlain(const fs::path& p, bool& missing) {
  missing = false;
  const int fd = ::open(p.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    missing = errno == ENOENT;
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > kMaxCommentFileBytes) {
    ::close(fd);
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return bytes;
}

// Writing may replace only a regular file or nothing: a planted link or FIFO is refused.
bool SafeTarget(const fs::path& p) {
  struct stat st {};
  if (::lstat(p.c_str(), &st) != 0) return errno == ENOENT;
  return S_ISREG(st.st_mode);
}

}  // namespace

void FolderComments::Clear() {
  names_.clear();
  texts_.clear();
  state_ = State::Absent;
  loaded_ = false;
}

void FolderComments::Load(const fs::path& folder) {
  Clear();
  folder_ = folder;
  loaded_ = true;
  bool missing = false;
  const auto names = ReadPlain(folder / kCommentNamesFile, missing);
  if (!names) {
    state_ = missing ? State::Absent : State::Failed;
    return;
  }
  bool textsMissing = false;
  const auto texts = ReadPlain(folder / kCommentTextsFile, textsMissing);
  if (!texts && !textsMissing) {
    state_ = State::Failed;
    return;
  }
  const std::string_view textsView = texts ? std::string_view(*texts) : std::string_view();
  Parse(*names, texts ? &textsView : nullptr);
}

void FolderComments::Parse(std::string_view names, const std::string_view* texts) {
  names_ = SplitLines(DecodeText(names));
  texts_.clear();
  if (texts != nullptr) texts_ = SplitLines(DecodeText(*texts));
  // Pairs by line number: missing comments are empty, comments without a name are dropped.
  texts_.resize(names_.size());
  state_ = State::Loaded;
  loaded_ = true;
}

std::string FolderComments::Find(std::string_view name) const {
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (names_[i] == name) return texts_[i];
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (EqualFolded(names_[i], name)) return texts_[i];
  return {};
}

bool FolderComments::CanComment(std::string_view name) {
  if (name.empty() || !IsValidUtf8(name)) return false;
  return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string FolderComments::Set(const std::string& name, const std::string& text) {
  if (state_ == State::Failed || !CanComment(name)) return kCannotWriteCommentsText;
  std::string clean = text;
  for (char& c : clean)
    if (c == '\r' || c == '\n') c = ' ';
  auto it = std::find(names_.begin(), names_.end(), name);
  if (it != names_.end()) {
    texts_[static_cast<std::size_t>(it - names_.begin())] = clean;
  } else {
    names_.push_back(name);
    texts_.push_back(clean);
  }
  state_ = State::Loaded;
  const fs::path namesPath = folder_ / kCommentNamesFile, textsPath = folder_ / kCommentTextsFile;
  if (!SafeTarget(namesPath) || !SafeTarget(textsPath)) return kCannotWriteCommentsText;
  if (!AtomicWrite(namesPath, JoinCrlf(names_))) return kCannotWriteCommentsText;
  if (!AtomicWrite(textsPath, JoinCrlf(texts_))) return kCannotWriteCommentsText;
  return {};
}

std::vector<std::string> FolderComments::Query(std::string_view keyword, const std::vector<std::string>& names) const {
  std::vector<std::string> hits;
  if (keyword.empty()) return hits;
  for (const std::string& n : names)
    if (ContainsFolded(Find(n), keyword)) hits.push_back(n);
  return hits;
}

}  // namespace pelira
