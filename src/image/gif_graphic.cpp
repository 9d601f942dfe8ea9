#include "image/gif_graphic.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/byte_cursor.h"
#include "image/pixel_limit.h"

namespace pelira {

namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid image format"); }

bool IsGif(ByteSpan b) {
  return b.size() >= 3 && (b[0] | 0x20) == 'g' && (b[1] | 0x20) == 'i' && (b[2] | 0x20) == 'f';
}

// Where the parts of the file up to the first image are.
struct GifLayout {
  int version = 0;
  bool globalTable = false;
  int globalBits = 0;
  std::size_t globalAt = 0;
  bool image = false;
  int width = 0, height = 0;
  bool localTable = false;
  int localBits = 0;
  std::size_t localAt = 0;
  bool interlaced = false;
  std::size_t dataAt = 0;  // the LZW code size byte
};

// Passes over data sub-blocks up to the zero-length one.
bool SkipSubBlocks(ByteCursor& c) {
  for (;;) {
    const std::uint8_t n = c.U8();
    if (!c.ok()) return false;
    if (n == 0) return true;
    if (!c.Skip(n)) return false;
  }
}

bool ParseLayout(ByteSpan f, GifLayout& g) {
  ByteCursor c(f);
  std::uint8_t sig[6];
  if (!c.Read(sig, 6) || !IsGif(ByteSpan(sig, 3))) return false;
  g.version = (sig[3] >= '0' && sig[3] <= '9' && sig[4] >= '0' && sig[4] <= '9') ? (sig[3] - '0') * 10 + (sig[4] - '0') : 0;
  const int screenW = c.U16LE(), screenH = c.U16LE();
  const std::uint8_t flags = c.U8();
  c.U8();
  c.U8();
  if (!c.ok()) return false;
  if (flags & 0x80) {
    g.globalTable = true;
    g.globalBits = (flags & 7) + 1;
    g.globalAt = c.pos();
    if (!c.Skip(3u << g.globalBits)) return false;
  }
  // Block walk: every extension's sub-blocks are passed over, whatever its label.
  for (;;) {
    const std::uint8_t b = c.U8();
    if (!c.ok()) return false;
    if (b == 0x3B) return true;
    if (b == 0x2C) break;
    if (b == 0x21) {
      c.U8();
      if (!SkipSubBlocks(c)) return false;
    }
  }
  c.U16LE();
  c.U16LE();
  const int w = c.U16LE(), h = c.U16LE();
  const std::uint8_t iflags = c.U8();
  if (!c.ok()) return false;
  g.image = true;
  g.width = w ? w : screenW;
  g.height = h ? h : screenH;
  g.interlaced = (iflags & 0x40) != 0;
  if (iflags & 0x80) {
    g.localTable = true;
    g.localBits = (iflags & 7) + 1;
    g.localAt = c.pos();
    if (!c.Skip(3u << g.localBits)) return false;
  }
  g.dataAt = c.pos();
  return true;
}

// The image data's sub-blocks joined; a block cut by the end of the file gives what is left.
std::vector<std::uint8_t> JoinSubBlocks(ByteSpan f, std::size_t at) {
  std::size_t total = 0;
  for (std::size_t p = at; p < f.size();) {
    const std::size_t n = f[p];
    if (n == 0) break;
    const std::size_t take = std::min(n, f.size() - p - 1);
    total += take;
    p += 1 + n;
  }
  std::vector<std::uint8_t> out;
  out.reserve(total);
  for (std::size_t p = at; p < f.size();) {
    const std::size_t n = f[p];
    if (n == 0) break;
    const std::size_t take = std::min(n, f.size() - p - 1);
    out.insert(out.end(), f.begin() + static_cast<std::ptrdiff_t>(p + 1),
               f.begin() + static_cast<std::ptrdiff_t>(p + 1 + take));
    p += 1 + n;
  }
  return out;
}

}  // namespace

std::size_t GifLzwDecode(ByteSpan data, int minCodeSize, std::uint8_t* out, std::size_t n) {
  if (minCodeSize < 2 || minCodeSize > 11) return 0;
  constexpr unsigned kTable = 4096;
  const unsigned clear = 1u << minCodeSize, endCode = clear + 1;
  std::vector<std::uint16_t> prefix(kTable, 0), length(kTable, 0);
  std::vector<std::uint8_t> suffix(kTable, 0), first(kTable, 0);
  for (unsigned i = 0; i < clear; ++i) {
    suffix[i] = first[i] = static_cast<std::uint8_t>(i);
    length[i] = 1;
  }
  int width = minCodeSize + 1;
  unsigned next = clear + 2;
  int prev = -1;
  std::uint64_t acc = 0;
  int bits = 0;
  const std::uint8_t* p = data.data();
  const std::uint8_t* const end = p + data.size();
  std::size_t written = 0;
  std::uint8_t spill[kTable + 1];

  // Writes the string of code c (len bytes) at the output, cutting it at n.
  auto put = [&](unsigned c, unsigned len) {
    std::uint8_t* dst = written + len <= n ? out + written : spill;
    for (unsigned k = len; k-- > 0;) {
      dst[k] = suffix[c];
      c = prefix[c];
    }
    if (dst == spill) std::memcpy(out + written, spill, n - written), written = n;
    else written += len;
  };

  while (written < n) {
    while (bits < width) {
      if (p == end) return written;
      acc |= static_cast<std::uint64_t>(*p++) << bits;
      bits += 8;
    }
    const unsigned code = static_cast<unsigned>(acc & ((1u << width) - 1));
    acc >>= width;
    bits -= width;
    if (code == clear) {
      width = minCodeSize + 1;
      next = clear + 2;
      prev = -1;
      continue;
    }
    if (code == endCode) break;
    if (prev < 0) {
      // After a reset only a literal can start the data.
      if (code >= clear) continue;
      out[written++] = static_cast<std::uint8_t>(code);
      prev = static_cast<int>(code);
      continue;
    }
    if (code > next || (code == next && next >= kTable)) continue;
    const unsigned pc = static_cast<unsigned>(prev);
    std::uint8_t firstByte;
    if (code < next) {
      firstByte = first[code];
      put(code, length[code]);
    } else {
      // The string of the previous code and its own first byte.
      firstByte = first[pc];
      put(pc, length[pc]);
      if (written < n) out[written++] = firstByte;
    }
    if (next < kTable && length[pc] < kTable) {
      prefix[next] = static_cast<std::uint16_t>(pc);
      suffix[next] = firstByte;
      first[next] = first[pc];
      length[next] = static_cast<std::uint16_t>(length[pc] + 1);
      if (next == (1u << width) - 1 && width < 12) ++width;
      ++next;
    }
    prev = static_cast<int>(code);
  }
  return written;
}

bool TGIFGraphic::CanLoad(ByteSpan bytes) const { return bytes.size() >= 23 && IsGif(bytes); }

bool TGIFGraphic::ReadImageInfo(ByteSpan bytes) {
  TGraphicX::ReadImageInfo(bytes);
  GifLayout g;
  if (!ParseLayout(bytes, g)) return false;
  info_.version = g.version;
  info_.scheme = TColorScheme::Indexed;
  info_.samplesPerPixel = 1;
  info_.bitsPerSample = 8;
  info_.compression = 4;
  if (g.globalTable) info_.bitsPerSample = static_cast<std::uint8_t>(g.globalBits);
  if (g.image) {
    info_.width = static_cast<std::uint32_t>(g.width);
    info_.height = static_cast<std::uint32_t>(g.height);
    info_.localColorTable = g.localTable;
    if (g.localTable) info_.bitsPerSample = static_cast<std::uint8_t>(g.localBits);
    info_.interlaced = g.interlaced;
  }
  info_.bitsPerPixel = static_cast<std::uint8_t>(info_.samplesPerPixel * info_.bitsPerSample);
  return true;
}

void TGIFGraphic::LoadFromStream(ByteSpan f) {
  bitmap_.Clear();
  alpha_.clear();
  if (!ReadImageInfo(f)) Invalid();
  GifLayout g;
  ParseLayout(f, g);
  if (!g.image || g.width == 0 || g.height == 0) return;

  Palette pal;
  if (g.globalTable) {
    pal.resize(std::size_t{1} << g.globalBits);
    for (std::size_t i = 0; i < pal.size(); ++i) {
      const std::uint8_t* e = f.data() + g.globalAt + 3 * i;
      pal[i] = RgbQuad{e[2], e[1], e[0], 0};
    }
  }
  if (g.localTable) {
    const std::size_t n = std::size_t{1} << g.localBits;
    if (pal.size() < n) pal.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint8_t* e = f.data() + g.localAt + 3 * i;
      pal[i] = RgbQuad{e[2], e[1], e[0], 0};
    }
    pal.resize(n);
  }
  // A file without any colour table shows its indices as grays.
  if (pal.empty()) pal = Gray256Palette();
  if (HeaderOnly) return;

  if (g.dataAt >= f.size()) Invalid();
  const int codeSize = f[g.dataAt];
  if (codeSize < 2 || codeSize > 11) Invalid();

  Dib bitmap(g.width, g.height, 8, pal, Dib::Init::Zero);
  const std::size_t w = static_cast<std::size_t>(g.width), h = static_cast<std::size_t>(g.height);
  const std::vector<std::uint8_t> data = JoinSubBlocks(f, g.dataAt + 1);
  // A code of at least codeSize + 1 bits gives at most 4095 pixels: a header that claims a
  // huge picture over little data gets no scratch buffer larger than the data can fill.
  const std::uint64_t reach = static_cast<std::uint64_t>(data.size()) * 8 / static_cast<std::uint64_t>(codeSize + 1) * 4095;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(std::min<std::uint64_t>(w * h, reach)), 0);
  const std::size_t rows = GifLzwDecode(data, codeSize, pixels.data(), pixels.size()) / w + 1;

  // Rows the data never reached stay index 0.
  auto place = [&](std::size_t y, std::size_t row) {
    if (row < rows && (row + 1) * w <= pixels.size())
      std::memcpy(bitmap.ScanLine(static_cast<int>(y)), pixels.data() + row * w, w);
    else if (row < rows && row * w < pixels.size())
      std::memcpy(bitmap.ScanLine(static_cast<int>(y)), pixels.data() + row * w, pixels.size() - row * w);
  };
  if (!g.interlaced) {
    for (std::size_t y = 0; y < h; ++y) place(y, y);
  } else {
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    std::size_t row = 0;
    for (int pass = 0; pass < 4; ++pass)
      for (std::size_t y = static_cast<std::size_t>(kStart[pass]); y < h; y += static_cast<std::size_t>(kStep[pass]))
        place(y, row++);
  }
  bitmap_ = std::move(bitmap);
}

}  // namespace pelira
