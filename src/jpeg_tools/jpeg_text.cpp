#include "jpeg_tools/jpeg_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "common/kind_list.h"
#include "common/text_encoding.h"
#include "jpeg_tools/exif_report.h"

namespace pelira {

namespace fs = std::filesystem;

namespace {

// Camera heads (EXIF with its thumbnail, ICC profile) fit in this; longer heads read on.
constexpr std::size_t kHeadRead = 128 * 1024;

std::string OpenError(const fs::path& path, int err) {
  return "Cannot read file " + path.string() + ": " + std::strerror(err);
}

// Reads up to limit bytes (all when limit is 0); *total gets the file size.
bool ReadPrefix(const fs::path& path, std::size_t limit, std::vector<std::uint8_t>* bytes, std::uint64_t* total,
                std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = OpenError(path, errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int err = errno ? errno : EINVAL;
    ::close(fd);
    *error = OpenError(path, S_ISDIR(st.st_mode) ? EISDIR : err);
    return false;
  }
  *total = static_cast<std::uint64_t>(st.st_size);
  std::uint64_t want = *total;
  if (limit != 0 && want > limit) want = limit;
  bytes->resize(static_cast<std::size_t>(want));
  std::size_t got = 0;
  while (got < bytes->size()) {
    const ssize_t r = ::read(fd, bytes->data() + got, bytes->size() - got);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      *error = OpenError(path, errno);
      ::close(fd);
      return false;
    }
    if (r == 0) break;  // the file shrank meanwhile
    got += static_cast<std::size_t>(r);
  }
  bytes->resize(got);
  ::close(fd);
  return true;
}

void AddCommentLines(JpegBytes payload, std::vector<std::string>& lines) {
  std::size_t n = payload.size();
  while (n > 0 && payload[n - 1] == 0) --n;  // some writers end the text with a zero
  const std::string text = DecodeText(std::string_view(reinterpret_cast<const char*>(payload.data()), n));
  for (std::string& line : SplitLines(text)) lines.push_back(std::move(line));
}

}  // namespace

std::vector<std::string> JpegTextReport::CollectedLines() const {
  std::vector<std::string> all = exifLines;
  all.insert(all.end(), commentLines.begin(), commentLines.end());
  return all;
}

std::vector<std::string> JpegTextReport::TextBoxLines() const {
  std::vector<std::string> all;
  if (macHeader) all = {"", kMacHeaderWarning, ""};
  for (const std::string& l : CollectedLines()) all.push_back(l);
  return all;
}

JpegTextReport ReadJpegTextBytes(JpegBytes file) {
  JpegTextReport report;
  const std::size_t skip = ForeignHeaderLength(file);
  report.macHeader = skip > 0;
  const JpegBytes data = file.subspan(skip);
  const JpegWalk walk = WalkJpeg(data, WalkExtent::Header);
  if (!walk.ok) {
    report.ok = false;
    report.error = kBadJpegMarkersText;
    return report;
  }
  for (const JpegPiece& p : walk.pieces) {
    if (p.kind != JpegPiece::Kind::Segment) continue;
    const JpegBytes payload = data.subspan(p.PayloadOffset(), p.PayloadSize());
    if (p.marker == kMarkerAPP1 && !report.exifFound && IsExifPayload(payload)) {
      ExifReport exif = ReadExifPayload(payload);
      if (!exif.ok) {
        report = JpegTextReport{};
        report.ok = false;
        report.error = kBadJpegMarkersText;
        return report;
      }
      report.exifFound = true;
      report.cut = exif.cut;
      report.exifLines = std::move(exif.lines);
    } else if (p.marker == kMarkerCOM) {
      report.commentFound = true;
      AddCommentLines(payload, report.commentLines);
    }
  }
  return report;
}

bool ReadWholeFile(const fs::path& path, std::vector<std::uint8_t>* bytes, std::string* error) {
  std::uint64_t total = 0;
  return ReadPrefix(path, 0, bytes, &total, error);
}

JpegTextReport ReadJpegTextFile(const fs::path& path) {
  JpegTextReport report;
  std::vector<std::uint8_t> bytes;
  std::uint64_t total = 0;
  if (!ReadPrefix(path, kHeadRead, &bytes, &total, &report.error)) {
    report.ok = false;
    return report;
  }
  if (bytes.size() < total) {
    // The head must hold the whole walk up to the first scan; a foreign header's "JFIF" may
    // lie anywhere. Otherwise the whole file is read.
    const JpegBytes data(bytes);
    const std::size_t skip = ForeignHeaderLength(data);
    const bool starts = data.size() >= 2 && data[0] == 0xFF && data[1] == kMarkerSOI;
    if (!starts && skip == 0) {
      if (!ReadPrefix(path, 0, &bytes, &total, &report.error)) {
        report.ok = false;
        return report;
      }
    } else if (!WalkJpeg(data.subspan(skip), WalkExtent::Header).reachedScan) {
      if (!ReadPrefix(path, 0, &bytes, &total, &report.error)) {
        report.ok = false;
        return report;
      }
    }
  }
  return ReadJpegTextBytes(bytes);
}

std::string JpegInfoLabel(const fs::path& file, const std::string& view) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return "";
  std::tm tm {};
  const std::time_t t = st.st_mtime;
  ::localtime_r(&t, &tm);
  char date[40];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec);
  std::string label = "Size: " + std::to_string(static_cast<long long>(st.st_size)) + " bytes\nDate: " + date;
  if (!view.empty()) label += "\nView: " + view;
  return label;
}

bool JpegTextKind(const fs::path& fileName) { return PathInKindList(fileName, kJpegTextKinds); }

bool ReadJpegText(const fs::path& fileName, JpegTextReport* report) {
  *report = JpegTextReport{};
  if (!JpegTextKind(fileName)) return false;
  *report = ReadJpegTextFile(fileName);
  return report->Found();
}

}  // namespace pelira
