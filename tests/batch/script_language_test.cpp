#include <gtest/gtest.h>

#include "batch/bip_file.h"
#include "batch/script_language.h"
#include "support/test_support.h"

namespace pelira {
namespace {
using namespace test;

struct LineCase {
  const char* line;
  const char* word;      // "" : the line does nothing
  std::array<int, 3> a;  // registers afterwards (they start at 7, 8, 9)
  const char* text;      // text argument afterwards
};

TEST(ScriptLine, ParsesWordsNumbersAndTexts) {
  const LineCase cases[] = {
      {"GAMMA=120,130,140", "GAMMA", {120, 130, 140}, "GAMMA=120,130,140"},
      {"gamma = 120", "GAMMA", {120, 0, 0}, "gamma = 120"},
      {"BRIGHTNESS=10", "BRIGHTNESS", {10, 0, 0}, "BRIGHTNESS=10"},
      {"BRIGHTNESS=-5,, -7", "BRIGHTNESS", {-5, 0, -7}, "BRIGHTNESS=-5,, -7"},
      {"ZERO", "ZERO", {7, 8, 9}, "ZERO"},                      // bare: registers kept
      {"=5", "=5", {7, 8, 9}, "=5"},                             // "=" first: no arguments
      {"GAMMA=1,2,3,4", "", {7, 8, 9}, "GAMMA=1,2,3,4"},         // fourth argument
      {"GAMMA=120 ", "", {7, 8, 9}, "GAMMA=120 "},               // trailing blank
      {"GAMMA=120 ,5", "", {7, 8, 9}, "GAMMA=120 ,5"},           // blank before ","
      {"GAMMA=$1F", "", {7, 8, 9}, "GAMMA=$1F"},                 // hexadecimal
      {"GAMMA=0x1F", "", {7, 8, 9}, "GAMMA=0x1F"},
      {"GAMMA=2147483648", "", {7, 8, 9}, "GAMMA=2147483648"},   // past 32 bits
      {"GAMMA=-2147483648", "GAMMA", {-2147483647 - 1, 0, 0}, "GAMMA=-2147483648"},
      {"GAMMA=99999999999999999999999", "", {7, 8, 9}, "GAMMA=99999999999999999999999"},
      {"GAMMA=-", "", {7, 8, 9}, "GAMMA=-"},
      {"TEXTMARK_TOPLEFT=Hello, World = 2", "TEXTMARK_TOPLEFT", {7, 8, 9}, "Hello, World = 2"},
      {"save", "SAVE", {7, 8, 9}, "save"},
      {"Save=_Small", "SAVE", {7, 8, 9}, "_Small"},
      {"LOADFILE=/tmp/a b.png", "LOADFILE", {7, 8, 9}, "/tmp/a b.png"},
      {"PROMPTSTRING=Stop now?", "PROMPTSTRING", {7, 8, 9}, "Stop now?"},
      {"", "", {7, 8, 9}, ""},
      {">CONFORM_RED=100,50", ">CONFORM_RED", {100, 50, 0}, ">CONFORM_RED=100,50"},
  };
  for (const LineCase& c : cases) {
    ScriptRegisters r;
    r.a = {7, 8, 9};
    const ParsedLine p = ParseScriptLine(c.line, r);
    EXPECT_EQ(p.word, c.word) << c.line;
    EXPECT_EQ(r.a, c.a) << c.line;
    EXPECT_EQ(r.text, c.text) << c.line;
  }
}

TEST(ScriptLine, UpperCasesAsciiOnlySoPositionsHold) {
  // "ß" must not grow into two letters: the text after "=" is cut at the same byte.
  ScriptRegisters r;
  const ParsedLine p = ParseScriptLine("textmark_topleft=Straße", r);
  EXPECT_EQ(p.word, "TEXTMARK_TOPLEFT");
  EXPECT_EQ(r.text, "Straße");
  EXPECT_EQ(AsciiUpper("aßz"), "AßZ");
}

TEST(ScriptLine, CommandTableKnowsEveryRecordedWordOnce) {
  for (const char* w : {"GAMMA", "GAMMA_SUPRESS", "GAMMA_SUPPRESS", "SUPRESS", "SUPPRESS", "AUTO_FLASH", "CROP",
                        "RESIZE%", "COPYTOBACKUP", "TEXTMARK_BOTTOMRIGHT", "PROMPT_HAS_FILESTRING"})
    EXPECT_NE(FindScriptCommand(w), nullptr) << w;
  for (const char* w : {"", "gamma", ">CONFORM_RED", "//GAMMA", "GAMMA "}) EXPECT_EQ(FindScriptCommand(w), nullptr) << w;
  EXPECT_EQ(FormatRecordedLine("GAMMA", {120, 130, -4}), "GAMMA=120,130,-4");
  EXPECT_EQ(FormatRecordedLine("NEGATIVE"), "NEGATIVE");
}

TEST(BipFile, ReadsAnyLineEndsAndCodePageAndWritesCrlf) {
  const struct {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"GAMMA=120\r\nSAVE\r\n", {"GAMMA=120", "SAVE"}},
      {"A\rB\nC\r\nD", {"A", "B", "C", "D"}},
      {"\r\n\r\nX", {"", "", "X"}},
      {"TEXTMARK_TOPLEFT=caf\xe9\r\n", {"TEXTMARK_TOPLEFT=caf\xc3\xa9"}},  // CP1252 é
      {"TEXTMARK_TOPLEFT=caf\xc3\xa9\n", {"TEXTMARK_TOPLEFT=caf\xc3\xa9"}},  // UTF-8 stays
      {std::string("NEG\0ATIVE\n", 10), {"NEGATIVE"}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseBipText(c.bytes), c.lines);

  TempDir dir;
  const std::vector<std::string> script = {"GAMMA=120,130,140", "", "TEXTMARK_TOPLEFT=caf\xc3\xa9", "SAVE=_x"};
  ASSERT_TRUE(WriteBipFile(dir.path() / "s.bip", script));
  const auto bytes = ReadBytes(dir.path() / "s.bip");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "GAMMA=120,130,140\r\n\r\nTEXTMARK_TOPLEFT=caf\xc3\xa9\r\nSAVE=_x\r\n");
  EXPECT_EQ(ReadBipFile(dir.path() / "s.bip"), script);
  std::string why;
  EXPECT_FALSE(ReadBipFile(dir.path() / "missing.bip", &why));
  EXPECT_FALSE(why.empty());
  EXPECT_FALSE(ReadBipFile(dir.path(), &why));  // a folder is no script
}

}  // namespace
}  // namespace pelira
