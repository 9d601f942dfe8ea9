#pragma once
// The small common frame of the in-program readers (BMP here; PCX and TGA add their
// entries): a format table chosen by file extension, option words, and the frame's error
// codes and texts. The codec classes turn frame failures into EGbmError with their own
// messages ("gbm_read_header failed." and so on).
#include <string>
#include <string_view>

namespace pelira {

struct GbmFormat {
  const char* shortName;
  const char* longName;
  const char* extensions;  // words separated by blanks, tabs or commas
};

// The table, in order: "Bitmap", "PCX", "Targa".
const GbmFormat* GbmFormats(int* count);
// Index of the format whose extension list holds the name's extension (no case), or -1.
int GbmGuessFileType(std::string_view fileName);
// True when `word` is one of the option words (exact match, no case).
bool GbmHasOption(std::string_view options, std::string_view word);

// 0 "ok" ... 9, BMP's 300..304, Targa's 400..402, PCX's 700..703, any other code
// "general error".
std::string GbmErrorText(int code);

}  // namespace pelira
