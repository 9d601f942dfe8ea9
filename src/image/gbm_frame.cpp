#include "image/gbm_frame.h"

#include <cctype>

namespace pelira {

namespace {

const GbmFormat kFormats[] = {
    {"Bitmap", "OS/2 1.1, 1.2, 2.0 / Windows 3.0 bitmap", "BMP VGA BGA RLE DIB RL4 RL8"},
    {"PCX", "ZSoft PC Paintbrush Image format", "PCX PCC"},
    {"Targa", "Truevision Targa/Vista bitmap", "TGA VST AFI"},
};

bool Separator(char c) { return c == ' ' || c == '\t' || c == ','; }

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

template <typename F>
bool AnyWord(std::string_view list, F&& f) {
  std::size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && Separator(list[i])) ++i;
    std::size_t j = i;
    while (j < list.size() && !Separator(list[j])) ++j;
    if (j > i && f(list.substr(i, j - i))) return true;
    i = j;
  }
  return false;
}

}  // namespace

const GbmFormat* GbmFormats(int* count) {
  if (count) *count = 3;
  return kFormats;
}

int GbmGuessFileType(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || dot + 1 >= fileName.size()) return -1;
  const std::string_view ext = fileName.substr(dot + 1);
  for (int i = 0; i < 3; ++i)
    if (AnyWord(kFormats[i].extensions, [&](std::string_view w) { return SameNoCase(w, ext); })) return i;
  return -1;
}

bool GbmHasOption(std::string_view options, std::string_view word) {
  return AnyWord(options, [&](std::string_view w) { return SameNoCase(w, word); });
}

std::string GbmErrorText(int code) {
  switch (code) {
    case 0: return "ok";
    case 1: return "out of memory";
    case 2: return "not supported";
    case 3: return "bad option(s)";
    case 4: return "not found";
    case 5: return "bad magic number / signiture block";
    case 6: return "bad bitmap size";
    case 7: return "can't read file";
    case 8: return "can't write file";
    case 9: return "bad argument to gbm function";
    case 300: return "number of bitmap planes is not 1";
    case 301: return "bit count not 1, 4, 8 or 24";
    case 302: return "cbFix bad";
    case 303: return "compression type not uncompressed, RLE4 or RLE8";
    case 304: return "less bitmaps in file than index requested";
    case 400: return "bits per pixel not 8, 16, 24 or 32";
    case 401: return "unsupported compression type for bits per pixel";
    case 402: return "color map entry size not 24 bits per pixel";
    case 700: return "version number not 4 or 5";
    case 701: return "encoding mode not 1";
    case 702: return "unsupported bpp/plane / plane combination";
    case 703: return "corrupt file trailer";
    default: return "general error";
  }
}

}  // namespace pelira
