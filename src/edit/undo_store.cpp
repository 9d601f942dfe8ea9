#include "edit/undo_store.h"

#include <cstring>

#include "common/errors.h"
#include "image/bmp_graphic.h"
#include "image/dib_graphic.h"
#include "image/pcx_graphic.h"

namespace pelira {

namespace {

constexpr char kRawMagic[8] = {'P', 'L', 'U', 'N', 'D', 'O', '1', 0};

bool SameIndices(const Dib& a, const Dib& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitCount() != b.BitCount()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Index(x, y) != b.Index(x, y)) return false;
  return true;
}

template <class T>
void Put(std::vector<std::uint8_t>& out, T v) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
  out.insert(out.end(), p, p + sizeof v);
}

template <class T>
bool Get(const std::vector<std::uint8_t>& in, std::size_t& pos, T& v) {
  if (in.size() - pos < sizeof v || pos > in.size()) return false;
  std::memcpy(&v, in.data() + pos, sizeof v);
  pos += sizeof v;
  return true;
}

std::vector<std::uint8_t> EncodeRaw(const Dib& d) {
  std::vector<std::uint8_t> out(kRawMagic, kRawMagic + 8);
  Put<std::int32_t>(out, d.Width());
  Put<std::int32_t>(out, d.Height());
  Put<std::int32_t>(out, d.BitCount());
  Put<std::int32_t>(out, d.xPelsPerMeter);
  Put<std::int32_t>(out, d.yPelsPerMeter);
  Put<std::uint32_t>(out, static_cast<std::uint32_t>(d.Colors().size()));
  for (const RgbQuad& q : d.Colors()) out.insert(out.end(), {q.blue, q.green, q.red, q.reserved});
  out.insert(out.end(), d.Bits(), d.Bits() + d.ImageSize());
  return out;
}

std::optional<Dib> DecodeRaw(const std::vector<std::uint8_t>& in) {
  if (in.size() < 8 || std::memcmp(in.data(), kRawMagic, 8) != 0) return std::nullopt;
  std::size_t pos = 8;
  std::int32_t w, h, bits, xp, yp;
  std::uint32_t colours;
  if (!Get(in, pos, w) || !Get(in, pos, h) || !Get(in, pos, bits) || !Get(in, pos, xp) || !Get(in, pos, yp) ||
      !Get(in, pos, colours) || colours > 256 || in.size() - pos < std::size_t{colours} * 4)
    return std::nullopt;
  Palette pal(colours);
  for (RgbQuad& q : pal) {
    q = {in[pos], in[pos + 1], in[pos + 2], in[pos + 3]};
    pos += 4;
  }
  Dib d = bits <= 8 ? Dib(w, h, bits, pal, Dib::Init::Uninitialised) : Dib(w, h, bits, Dib::Init::Uninitialised);
  if (in.size() - pos != d.ImageSize()) return std::nullopt;
  std::memcpy(d.Bits(), in.data() + pos, d.ImageSize());
  d.xPelsPerMeter = xp;
  d.yPelsPerMeter = yp;
  return d;
}

}  // namespace

void UndoStore::Clear() {
  stream_.clear();
  stream_.shrink_to_fit();
  form_ = Form::None;
  depth_ = 0;
  savedPalette_.clear();
}

void UndoStore::Take(const Dib& picture, int depth) {
  Clear();
  if (picture.Empty()) throw EVistrelError("No picture to back up");
  try {
    depth_ = depth;
    savedPalette_ = picture.Colors();
    const int bits = picture.BitCount();
    if (bits >= 8) {
      stream_ = SaveWorkingBitmapBmp(picture);
      form_ = Form::Bmp;
      return;
    }
    TPcxGraphic pcx;
    WorkingBitmapToCodec(picture, pcx);
    pcx.SaveToStream(stream_);
    form_ = Form::Pcx;
    // PCX keeps only what its header can carry; check rather than trust it.
    const std::optional<Dib> back = Decode();
    if (!back || !SameIndices(*back, picture)) {
      stream_ = EncodeRaw(picture);
      form_ = Form::Raw;
    }
  } catch (...) {
    Clear();
    throw;
  }
}

std::optional<Dib> UndoStore::Decode() const {
  try {
    switch (form_) {
      case Form::None: return std::nullopt;
      case Form::Raw: return DecodeRaw(stream_);
      case Form::Bmp:
      case Form::Pcx: {
        std::unique_ptr<TDibGraphic> g;
        if (form_ == Form::Bmp) g = std::make_unique<TBmpGraphic>();
        else g = std::make_unique<TPcxGraphic>();
        g->LoadFromBytes(stream_);
        Dib d = CodecToWorkingBitmap(*g);
        if (d.Empty()) return std::nullopt;
        // The saved palette is the picture's own (a file palette may hold more entries).
        if (d.HasPalette() && !savedPalette_.empty()) d.SetColors(savedPalette_);
        return d;
      }
    }
  } catch (...) {
  }
  return std::nullopt;
}

std::uint64_t RawPictureSize(std::int64_t width, std::int64_t height, int bits) {
  if (width <= 0 || height <= 0) return 0;
  const std::uint64_t px = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  std::uint64_t n = 0;
  switch (bits) {
    case 1: n = px / 8; break;
    case 4: n = px / 2; break;
    case 8: n = px; break;
    case 15:
    case 16: n = 2 * px; break;
    case 24: n = 3 * px; break;
    default: n = 0;
  }
  return n / 4096 * 4096;
}

std::string LowMemoryText(std::uint64_t required, std::uint64_t actual) {
  return std::string(kMemoryLowText) + "\nRequired=" + std::to_string(required) + " Actual=" + std::to_string(actual);
}

std::string BackupFailedText(const std::string& errorText, bool modified) {
  std::string t = errorText + "\n" + "Backup failed. " + kMemoryLowText + "\n";
  if (modified) t += std::string("It is recommended that you save modifications\n") + "to a file now; then close and restart application.";
  return t;
}

std::string MemoryReportText(const MemoryReportInput& in) {
  auto mb = [](std::uint64_t bytes) { return std::to_string((bytes + 1048576) / 1048576) + " Mb\n"; };
  std::string t = "Memory Utilization: " + std::to_string(in.status.load) + " (100=max)\n\n";
  t += "Total Physical Memory: " + mb(in.status.totalPhysical);
  t += "Total Paged Memory: " + mb(in.status.totalPaged);
  t += "Free Paged Memory: " + mb(in.status.freePaged);
  t += "Total Virtual Memory: " + mb(in.status.totalVirtual);
  t += "Free Virtual Memory: " + mb(in.status.freeVirtual);
  t += "Largest Free Block: " + std::to_string(in.largestBlock / 1048576) + " Mb\n";
  t += "\nWindows version: " + in.system + "\n";
  t += "Display: " + std::to_string(in.screenWidth) + " x " + std::to_string(in.screenHeight) + " (" +
       std::to_string(in.colorDepth) + " bpp)\n";
  if (in.bookmarks >= 0) t += "\nViewer bookmarks: " + std::to_string(in.bookmarks) + " items\n";
  return t;
}

}  // namespace pelira
