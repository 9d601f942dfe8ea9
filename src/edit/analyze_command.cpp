#include "edit/analyze_command.h"

#include <system_error>

#include "common/app_paths.h"
#include "common/atomic_file.h"
#include "image/image_loader.h"
#include "imaging_library/image_ops.h"
#include "platform/shell.h"
#include "platform/ui.h"

namespace pelira {

namespace {

// The viewer's picture base: 168 x 126 x 3 only for thumbnails; here the raw size of the
// picture rounded down to 4096, as the memory estimate counts it.
std::uint64_t ViewerBase(const Dib& pic) {
  const std::uint64_t raw = 3ull * static_cast<std::uint64_t>(pic.Width()) * static_cast<std::uint64_t>(pic.Height());
  return raw / 4096 * 4096;
}

std::string Joined(const std::vector<std::string>& lines, const char* sep) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += sep;
    text += lines[i];
  }
  return text;
}

}  // namespace

std::filesystem::path ImageReportPath() { return AppPaths::Home() / "ImageReport.txt"; }

AnalysisSubject SubjectOfFile(const std::filesystem::path& path) {
  AnalysisSubject s;
  s.name = path.filename().string();
  std::string folder = path.parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  s.folder = folder;
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec) s.fileSize = size;
  return s;
}

Dib LoadForAnalysis(const std::string& path, std::string* error) {
  TImageLoader l;
  const OpenOutcome o = l.Open(path);
  if (o == OpenOutcome::Media || o == OpenOutcome::Slideshow || o == OpenOutcome::Blank || l.workingBitmap.Empty()) {
    if (error) *error = l.LastError().empty() ? "cannot be opened" : l.LastError();
    return {};
  }
  return std::move(l.workingBitmap);
}

Dib RegionOfInterest(const Dib& picture, const SelectionBounds& s, bool* used) {
  *used = false;
  if (!(s.left >= 0 && s.top >= 0 && s.left < s.right && s.top < s.bottom && s.right <= picture.Width() &&
        s.bottom <= picture.Height()))
    return picture;
  *used = true;
  const Dib src = picture.BitCount() == 24 ? picture : ToTrueColor(picture);
  Dib out(s.right - s.left, s.bottom - s.top, 24, Dib::Init::Uninitialised);
  const std::size_t n = static_cast<std::size_t>(out.Width()) * 3;
  for (int y = 0; y < out.Height(); ++y)
    std::copy_n(src.ScanLine(s.top + y) + static_cast<std::size_t>(s.left) * 3, n, out.ScanLine(y));
  return out;
}

AnalyzeOutcome AnalyzeReport(const Dib& picture, const AnalyzeRequest& r) {
  AnalyzeOutcome out;
  const std::filesystem::path file(r.currentFile);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    out.error = file.filename().string() + " not found.";
    return out;
  }
  bool roi = false;
  const Dib measured = r.roi ? RegionOfInterest(picture, *r.roi, &roi) : picture;
  AnalysisSubject first = SubjectOfFile(file);
  first.modified = r.modified;
  first.regionOfInterest = roi;
  AnalysisOptions o;
  o.comparison = r.compareWith.has_value();
  o.complexity = r.complexity;
  o.complexityBase = ViewerBase(measured);
  const AnalysisResult a = AnalyzePicture(measured, first, o);
  if (!r.compareWith) {
    out.lines = a.lines;
    out.ran = true;
    return out;
  }
  const std::filesystem::path other(*r.compareWith);
  std::string why;
  const Dib second = std::filesystem::is_regular_file(other, ec) ? LoadForAnalysis(other.string(), &why) : Dib();
  if (second.Empty()) {
    out.error = other.filename().string() + " not found.";
    return out;
  }
  o.complexityBase = ViewerBase(second);
  const AnalysisSubject secondSubject = SubjectOfFile(other);
  out.lines = ComparisonReport(a, first, AnalyzePicture(second, secondSubject, o), secondSubject);
  out.ran = true;
  return out;
}

AnalyzeOutcome RunAnalyze(const Dib& picture, const AnalyzeRequest& r) {
  return PresentReport(AnalyzeReport(picture, r), r.compareWith.has_value());
}

AnalyzeOutcome PresentReport(AnalyzeOutcome out, bool comparison) {
  if (!out.ran) {
    CurrentUi().Message(MessageKind::Error, out.error, Button::OK);
    return out;
  }
  if (!comparison) {
    const Button b = CurrentUi().Message(MessageKind::Information, Joined(out.lines, "\n") + "\n\nSave to text file?",
                                         Button::Yes | Button::No);
    if (b != Button::Yes) return out;
  }
  const std::filesystem::path path = ImageReportPath();
  const WriteResult w = AtomicWrite(path, Joined(out.lines, "\n") + "\n");
  if (!w) {
    CurrentUi().Message(MessageKind::Error, w.message, Button::OK);
    return out;
  }
  out.saved = true;
  CurrentShell().OpenDocument(path);
  return out;
}

}  // namespace pelira
