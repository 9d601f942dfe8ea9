#include "thumbs/thumb_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "common/app_paths.h"
#include "image/bmp_graphic.h"
#include "thumbs/thumb_names.h"

namespace pelira {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kHeaderBytes = 54;

// The header every stored thumbnail starts with: the one the BMP writer gives a blank
// 168x126 24-bit bitmap.
const std::string& CanonicalHeader() {
  static const std::string header = [] {
    const Dib blank(kThumbWidth, kThumbHeight, 24);
    const Bytes b = SaveWorkingBitmapBmp(blank);
    return std::string(reinterpret_cast<const char*>(b.data()), kHeaderBytes);
  }();
  return header;
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int f = fd_;
    fd_ = -1;
    return f;
  }

 private:
  int fd_;
};

// Opens a thumbnail for reading without following a link or blocking on a FIFO.
int OpenNoFollow(const fs::path& file) {
  return ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
}

bool ReadAll(int fd, char* out, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t r = ::read(fd, out + done, n - done);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    done += static_cast<std::size_t>(r);
  }
  return true;
}

bool WriteAll(int fd, const char* data, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t w = ::write(fd, data + done, n - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    done += static_cast<std::size_t>(w);
  }
  return true;
}

// A folder of the cache: made when missing; a link or a file in its place is refused.
bool EnsureRealFolder(const fs::path& dir) {
  struct stat st {};
  if (::lstat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  if (errno != ENOENT) return false;
  if (::mkdir(dir.c_str(), 0755) == 0) return true;
  // Another writer may have made it meanwhile.
  return errno == EEXIST && ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::atomic<std::uint64_t> g_tempCounter{0};

}  // namespace

std::string EncodeThumbnail(const Dib& thumb) {
  if (thumb.Width() != kThumbWidth || thumb.Height() != kThumbHeight || thumb.BitCount() != 24) return {};
  std::string out = CanonicalHeader();
  out.append(reinterpret_cast<const char*>(thumb.Bits()), thumb.ImageSize());
  return out;
}

std::optional<Dib> DecodeThumbnail(std::string_view bytes) {
  if (bytes.size() != kThumbFileBytes || bytes.substr(0, kHeaderBytes) != CanonicalHeader()) return std::nullopt;
  Dib d(kThumbWidth, kThumbHeight, 24, Dib::Init::Uninitialised);
  std::memcpy(d.Bits(), bytes.data() + kHeaderBytes, d.ImageSize());
  return d;
}

ThumbCache::ThumbCache(fs::path data) : root_(std::move(data) / CacheRootName()) {}
ThumbCache::ThumbCache() : ThumbCache(AppPaths::Data()) {}

fs::path ThumbCache::PathOf(std::string_view subfolder, std::string_view name) const {
  if (subfolder.empty()) {
    // Shared thumbnails: the names SharedThumbName gives and the placeholders.
    if (name.empty() || name.size() > 16) return {};
    for (char c : name)
      if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return {};
    return root_ / std::string(name);
  }
  if (!IsThumbSubfolderName(subfolder) || !IsThumbFileName(name)) return {};
  return root_ / std::string(subfolder) / std::string(name);
}

bool ThumbCache::EnsureFolders(std::string_view subfolder) const {
  std::error_code ec;
  fs::create_directories(root_.parent_path(), ec);
  if (!EnsureRealFolder(root_)) return false;
  if (subfolder.empty()) return true;
  if (!IsThumbSubfolderName(subfolder)) return false;
  return EnsureRealFolder(root_ / std::string(subfolder));
}

ThumbFileState ThumbCache::Check(const fs::path& file) {
  if (file.empty()) return ThumbFileState::Missing;
  Fd fd(OpenNoFollow(file));
  if (fd.get() < 0) return errno == ENOENT || errno == ENOTDIR ? ThumbFileState::Missing : ThumbFileState::Invalid;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != static_cast<off_t>(kThumbFileBytes))
    return ThumbFileState::Invalid;
  char header[kHeaderBytes];
  if (!ReadAll(fd.get(), header, kHeaderBytes)) return ThumbFileState::Invalid;
  return std::string_view(header, kHeaderBytes) == CanonicalHeader() ? ThumbFileState::Present
                                                                      : ThumbFileState::Invalid;
}

bool ThumbCache::PresentOrRemove(const fs::path& file) {
  const ThumbFileState s = Check(file);
  if (s == ThumbFileState::Invalid) Remove(file);
  return s == ThumbFileState::Present;
}

std::optional<Dib> ThumbCache::Read(const fs::path& file) {
  if (file.empty()) return std::nullopt;
  Fd fd(OpenNoFollow(file));
  if (fd.get() < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != static_cast<off_t>(kThumbFileBytes))
    return std::nullopt;
  std::string bytes(kThumbFileBytes, '\0');
  if (!ReadAll(fd.get(), bytes.data(), bytes.size())) return std::nullopt;
  return DecodeThumbnail(bytes);
}

bool ThumbCache::Write(const fs::path& file, const Dib& thumb) {
  const std::string bytes = EncodeThumbnail(thumb);
  if (bytes.empty() || file.empty()) return false;
  fs::path temp = file;
  temp.replace_filename("." + file.filename().string() + "." + std::to_string(::getpid()) + "." +
                        std::to_string(g_tempCounter.fetch_add(1)) + ".tmp");
  Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (fd.get() < 0) return false;
  // No fsync: a thumbnail cut short by a crash fails the exact check and is made again.
  const bool written = WriteAll(fd.get(), bytes.data(), bytes.size());
  const bool closed = ::close(fd.release()) == 0;
  if (!written || !closed || ::rename(temp.c_str(), file.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

bool ThumbCache::Remove(const fs::path& file) {
  if (file.empty()) return false;
  std::error_code ec;
  // remove_all never follows a link: a link goes, its target stays.
  fs::remove_all(file, ec);
  struct stat st {};
  return ::lstat(file.c_str(), &st) != 0 && errno == ENOENT;
}

bool ThumbCache::KillSubfolder(std::string_view subfolder) const {
  if (!IsThumbSubfolderName(subfolder)) return false;
  std::error_code ec;
  fs::remove_all(root_ / std::string(subfolder), ec);
  return !ec;
}

bool ThumbCache::KillAll() const {
  struct stat st {};
  if (::lstat(root_.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return false;
  bool ok = true;
  std::error_code ec;
  for (fs::directory_iterator it(root_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const bool temp = !name.empty() && name.front() == '.' && name.ends_with(".tmp");
    if (!IsThumbSubfolderName(name) && !temp) continue;
    std::error_code e2;
    fs::remove_all(it->path(), e2);
    if (e2) ok = false;
  }
  return ok && !ec;
}

CacheInfo ThumbCache::Info() const {
  CacheInfo info;
  info.root = root_;
  std::error_code ec;
  struct stat st {};
  if (::lstat(root_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return info;
  for (fs::recursive_directory_iterator it(root_, fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end; it.increment(ec)) {
    std::error_code e2;
    const auto s = it->symlink_status(e2);
    if (e2 || !fs::is_regular_file(s)) continue;
    ++info.files;
    info.bytes += it->file_size(e2);
  }
  return info;
}

}  // namespace pelira
