#pragma once
// Text files (scripts, lists, albums, comments) are read as UTF-8 when they are valid UTF-8
// and as Windows-1252 otherwise, since older files were written in that code page. The
// program works with UTF-8 strings and writes UTF-8.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelira {

// One code point as UTF-8; surrogates and values past U+10FFFF become U+FFFD.
void AppendUtf8(std::string& out, std::uint32_t codePoint);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// Every byte maps: the five bytes 81 8D 8F 90 9D that the code page leaves undefined become
// U+0081, U+008D, U+008F, U+0090 and U+009D, so no input is lost.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 without its byte order mark when bytes are valid UTF-8, else Cp1252ToUtf8(bytes).
std::string DecodeText(std::string_view bytes);

// Lines ended by CR, LF or CRLF, in any mix. The end of the last line is optional, so
// "a\r\nb" and "a\r\nb\r\n" both give {"a", "b"}; "" gives no line.
std::vector<std::string> SplitLines(std::string_view text);

// Every line followed by CRLF, the way the line-based files are written.
std::string JoinCrlf(const std::vector<std::string>& lines);

}  // namespace pelira
