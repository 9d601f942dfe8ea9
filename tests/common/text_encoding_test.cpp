#include "common/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelira {
namespace {

using namespace std::string_literals;

TEST(TextEncoding, Utf8Validity) {
  // Expected values: python3, b.decode("utf-8") succeeding or raising.
  struct Case {
    std::string bytes;
    bool valid;
  } const cases[] = {
      {"", true},
      {"plain", true},
      {"a\0b"s, true},
      {"\xC3\xA9", true},
      {"\xE2\x82\xAC", true},
      {"\xF0\x9F\x98\x80", true},
      {"\xF4\x8F\xBF\xBF", true},          // U+10FFFF
      {"\xEF\xBF\xBF", true},
      {"\xEF\xBB\xBFx", true},
      {"\xC0\xAF", false},                 // overlong
      {"\xC1\xBF", false},
      {"\xE0\x80\xAF", false},
      {"\xF0\x80\x80\xAF", false},
      {"\xED\xA0\x80", false},             // surrogate
      {"\xF4\x90\x80\x80", false},         // above U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\xE2\x82", false},                 // cut short
      {"\x80", false},                     // lone continuation byte
      {"\xC3\xA9\xE9", false},
      {"\xC3(", false},
      {"\xE2(\xA1", false},
      {"\xFF\xFE", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;
}

TEST(TextEncoding, Cp1252EveryByte) {
  std::string ascii;
  for (int b = 0; b < 0x80; ++b) ascii.push_back(static_cast<char>(b));
  EXPECT_EQ(Cp1252ToUtf8(ascii), ascii);

  std::string high;
  for (int b = 0x80; b < 0x100; ++b) high.push_back(static_cast<char>(b));
  // python3: "".join(bytes([b]).decode("cp1252") if b not in (0x81, 0x8D, 0x8F, 0x90, 0x9D)
  //          else chr(b) for b in range(0x80, 0x100)).encode("utf-8")
  const std::string expected =
      "\xE2\x82\xAC\xC2\x81\xE2\x80\x9A\xC6\x92\xE2\x80\x9E\xE2\x80\xA6\xE2\x80\xA0\xE2\x80\xA1"  // 80-87
      "\xCB\x86\xE2\x80\xB0\xC5\xA0\xE2\x80\xB9\xC5\x92\xC2\x8D\xC5\xBD\xC2\x8F"  // 88-8F
      "\xC2\x90\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\xA2\xE2\x80\x93\xE2\x80\x94"  // 90-97
      "\xCB\x9C\xE2\x84\xA2\xC5\xA1\xE2\x80\xBA\xC5\x93\xC2\x9D\xC5\xBE\xC5\xB8"  // 98-9F
      "\xC2\xA0\xC2\xA1\xC2\xA2\xC2\xA3\xC2\xA4\xC2\xA5\xC2\xA6\xC2\xA7"  // A0-A7
      "\xC2\xA8\xC2\xA9\xC2\xAA\xC2\xAB\xC2\xAC\xC2\xAD\xC2\xAE\xC2\xAF"  // A8-AF
      "\xC2\xB0\xC2\xB1\xC2\xB2\xC2\xB3\xC2\xB4\xC2\xB5\xC2\xB6\xC2\xB7"  // B0-B7
      "\xC2\xB8\xC2\xB9\xC2\xBA\xC2\xBB\xC2\xBC\xC2\xBD\xC2\xBE\xC2\xBF"  // B8-BF
      "\xC3\x80\xC3\x81\xC3\x82\xC3\x83\xC3\x84\xC3\x85\xC3\x86\xC3\x87"  // C0-C7
      "\xC3\x88\xC3\x89\xC3\x8A\xC3\x8B\xC3\x8C\xC3\x8D\xC3\x8E\xC3\x8F"  // C8-CF
      "\xC3\x90\xC3\x91\xC3\x92\xC3\x93\xC3\x94\xC3\x95\xC3\x96\xC3\x97"  // D0-D7
      "\xC3\x98\xC3\x99\xC3\x9A\xC3\x9B\xC3\x9C\xC3\x9D\xC3\x9E\xC3\x9F"  // D8-DF
      "\xC3\xA0\xC3\xA1\xC3\xA2\xC3\xA3\xC3\xA4\xC3\xA5\xC3\xA6\xC3\xA7"  // E0-E7
      "\xC3\xA8\xC3\xA9\xC3\xAA\xC3\xAB\xC3\xAC\xC3\xAD\xC3\xAE\xC3\xAF"  // E8-EF
      "\xC3\xB0\xC3\xB1\xC3\xB2\xC3\xB3\xC3\xB4\xC3\xB5\xC3\xB6\xC3\xB7"  // F0-F7
      "\xC3\xB8\xC3\xB9\xC3\xBA\xC3\xBB\xC3\xBC\xC3\xBD\xC3\xBE\xC3\xBF";  // F8-FF
  EXPECT_EQ(Cp1252ToUtf8(high), expected);
  EXPECT_TRUE(IsValidUtf8(Cp1252ToUtf8(high)));
}

TEST(TextEncoding, DecodeChoosesTheEncoding) {
  // Expected values: python3, b.decode("utf-8") when it succeeds, else b.decode("cp1252").
  struct Case {
    std::string bytes, text;
  } const cases[] = {
      {"C:\\pics\\a.jpg", "C:\\pics\\a.jpg"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},                              // UTF-8 stays
      {"\xEF\xBB\xBF" "caf\xC3\xA9", "caf\xC3\xA9"},               // its mark is dropped
      {"caf\xE9", "caf\xC3\xA9"},                                  // CP1252
      {"\xC3\xA9\xE9", "\xC3\x83\xC2\xA9\xC3\xA9"},                // one stray byte: all CP1252
      {"\x93quoted\x94 \x80 5", "\xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x82\xAC 5"},
      {"\xEF\xBB\xBF\xE9", "\xC3\xAF\xC2\xBB\xC2\xBF\xC3\xA9"},    // a mark on CP1252 bytes is text
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeText(c.bytes), c.text) << c.bytes;
}

TEST(TextEncoding, SplitLines) {
  using Lines = std::vector<std::string>;
  struct Case {
    std::string text;
    Lines lines;
  } const cases[] = {
      {"", {}},
      {"one", {"one"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
      {"a\n\nb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"\r\r", {"", ""}},
      {"\n\r", {"", ""}},          // LF then CR: two line ends, not one
      {"a\r\n\r\n", {"a", ""}},
      {" x \t\r\n", {" x \t"}},    // blanks are kept
  };
  for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
}

TEST(TextEncoding, JoinCrlf) {
  EXPECT_EQ(JoinCrlf({}), "");
  EXPECT_EQ(JoinCrlf({"a", "", "b"}), "a\r\n\r\nb\r\n");
  const std::vector<std::string> lines{"GAMMA=120", "", "SAVE"};
  EXPECT_EQ(SplitLines(JoinCrlf(lines)), lines);
}

}  // namespace
}  // namespace pelira
