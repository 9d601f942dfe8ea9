#include "viewer/forms/sane_scanner.h"

#include <QCoreApplication>

#include "common/errors.h"
#include "viewer/scan_frames.h"

#ifdef PELIRA_HAVE_SANE
#include <sane/sane.h>
#endif

namespace pelira {

#ifdef PELIRA_HAVE_SANE

namespace {

ScanResult Failure(const std::string& why) {
  ScanResult r;
  r.status = ScanResult::Status::Failed;
  r.message = why;
  return r;
}

ScanFrameKind KindOf(SANE_Frame f) {
  switch (f) {
    case SANE_FRAME_RGB: return ScanFrameKind::Rgb;
    case SANE_FRAME_RED: return ScanFrameKind::Red;
    case SANE_FRAME_GREEN: return ScanFrameKind::Green;
    case SANE_FRAME_BLUE: return ScanFrameKind::Blue;
    default: return ScanFrameKind::Gray;
  }
}

}  // namespace

SaneScanner::~SaneScanner() {
  if (started_) sane_exit();
}

bool SaneScanner::Available() {
  if (!tried_) {
    tried_ = true;
    SANE_Int version = 0;
    started_ = sane_init(&version, nullptr) == SANE_STATUS_GOOD;
  }
  return started_;
}

std::vector<ScanDevice> SaneScanner::Devices() {
  std::vector<ScanDevice> out;
  if (!Available()) return out;
  const SANE_Device** list = nullptr;
  if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list) return out;
  for (int i = 0; list[i]; ++i) {
    const SANE_Device* d = list[i];
    std::string label = std::string(d->vendor ? d->vendor : "") + " " + (d->model ? d->model : "");
    if (d->type && *d->type) label += std::string(" (") + d->type + ")";
    out.push_back({d->name ? d->name : "", label + " - " + (d->name ? d->name : "")});
  }
  return out;
}

ScanResult SaneScanner::Acquire(const std::string& device) {
  if (!Available()) return Failure("");
  std::string name = device;
  if (name.empty()) {
    const std::vector<ScanDevice> devices = Devices();
    if (devices.empty()) return Failure("");
    name = devices.front().name;
  }
  SANE_Handle h = nullptr;
  SANE_Status st = sane_open(name.c_str(), &h);
  if (st != SANE_STATUS_GOOD) return Failure(sane_strstatus(st));
  struct Closer {
    SANE_Handle h;
    ~Closer() {
      sane_cancel(h);
      sane_close(h);
    }
  } closer{h};

  ScanAssembler page;
  std::vector<SANE_Byte> buffer(256 * 1024);
  try {
    for (;;) {
      st = sane_start(h);
      if (st == SANE_STATUS_CANCELLED) return {ScanResult::Status::Cancelled, {}, {}};
      if (st != SANE_STATUS_GOOD) return Failure(sane_strstatus(st));
      SANE_Parameters p{};
      st = sane_get_parameters(h, &p);
      if (st != SANE_STATUS_GOOD) return Failure(sane_strstatus(st));
      ScanFrameFormat f;
      f.kind = KindOf(p.format);
      f.bytesPerLine = p.bytes_per_line;
      f.pixelsPerLine = p.pixels_per_line;
      f.lines = p.lines;
      f.depth = p.depth;
      f.lastFrame = p.last_frame;
      if (!page.BeginFrame(f)) return Failure(page.Error());
      for (;;) {
        SANE_Int got = 0;
        st = sane_read(h, buffer.data(), static_cast<SANE_Int>(buffer.size()), &got);
        if (st == SANE_STATUS_EOF) break;
        if (st == SANE_STATUS_CANCELLED) return {ScanResult::Status::Cancelled, {}, {}};
        if (st != SANE_STATUS_GOOD) return Failure(sane_strstatus(st));
        page.Feed(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(got)));
        // Keeps the window painting during a long scan.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      }
      page.EndFrame();
      if (p.last_frame) break;
    }
    ScanResult r;
    r.picture = page.Finish();
    r.status = r.picture.Empty() ? ScanResult::Status::Cancelled : ScanResult::Status::Scanned;
    return r;
  } catch (const std::exception& e) {
    return Failure(e.what());
  }
}

#else

SaneScanner::~SaneScanner() = default;
bool SaneScanner::Available() { return false; }
std::vector<ScanDevice> SaneScanner::Devices() { return {}; }
ScanResult SaneScanner::Acquire(const std::string&) { return {}; }

#endif

}  // namespace pelira
