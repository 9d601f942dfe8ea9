#include <gtest/gtest.h>

#include "image/rich_text.h"

namespace pelira {
namespace {

TEST(RichText, RtfRunsAndParagraphs) {
  const std::string rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
      "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue200;}"
      "{\\*\\generator Some writer;}{\\info{\\title Hidden}}"
      "\\pard\\qc\\f1\\fs36 Big {\\b bold} \\i italic\\i0  \\ul under\\ulnone\\par"
      "\\pard\\cf1 red\\cf2  blue\\tab tab\\line next\\par\n"
      "caf\\'e9 \\u8364?uro {\\pict\\pngblip 89504e47}end}";
  const TRichText t = ReadRtf(rtf);
  ASSERT_EQ(t.paragraphs.size(), 3u);
  const TTextParagraph& p0 = t.paragraphs[0];
  EXPECT_EQ(p0.align, TTextParagraph::Center);
  EXPECT_EQ(p0.Text(), "Big bold italic under");
  ASSERT_GE(p0.runs.size(), 4u);
  EXPECT_EQ(p0.runs[0].font, "Times New Roman");
  EXPECT_DOUBLE_EQ(p0.runs[0].pointSize, 18);
  EXPECT_FALSE(p0.runs[0].bold);
  EXPECT_EQ(p0.runs[1].text, "bold");
  EXPECT_TRUE(p0.runs[1].bold);
  bool sawItalic = false, sawUnderline = false;
  for (const TTextRun& r : p0.runs) {
    if (r.text.find("italic") != std::string::npos) sawItalic = r.italic;
    if (r.text == "under") sawUnderline = r.underline;
  }
  EXPECT_TRUE(sawItalic);
  EXPECT_TRUE(sawUnderline);

  const TTextParagraph& p1 = t.paragraphs[1];
  EXPECT_EQ(p1.align, TTextParagraph::Left) << "\\pard resets the alignment";
  EXPECT_EQ(p1.Text(), "red blue\ttab\nnext");
  ASSERT_GE(p1.runs.size(), 2u);
  EXPECT_TRUE(p1.runs[0].hasColor);
  EXPECT_EQ(p1.runs[0].color, MakeColor(255, 0, 0));
  EXPECT_EQ(p1.runs[1].color, MakeColor(0, 0, 200));
  EXPECT_EQ(t.paragraphs[2].Text(), "caf\xC3\xA9 \xE2\x82\xACuro end");
}

TEST(RichText, HostileRtf) {
  // Nesting beyond the limit is refused; \bin data is passed over whole, even when it claims
  // more than the file has.
  std::string deep = "{\\rtf1 ";
  for (int i = 0; i < kMaxRtfDepth + 5; ++i) deep += "{";
  EXPECT_THROW(ReadRtf(deep), ERtfError);
  const TRichText bin = ReadRtf("{\\rtf1 a\\bin4 }}{}b}");
  ASSERT_EQ(bin.paragraphs.size(), 1u);
  EXPECT_EQ(bin.paragraphs[0].Text(), "ab");
  EXPECT_NO_THROW(ReadRtf("{\\rtf1 x\\bin999999999 abc"));
  EXPECT_THROW(ReadRtf("plain words"), ERtfError);
  // Unbalanced and cut documents keep what they have.
  EXPECT_EQ(ReadRtf("{\\rtf1 one}}}} two").paragraphs[0].Text(), "one");
  EXPECT_EQ(ReadRtf("{\\rtf1 cut\\'").paragraphs[0].Text(), "cut");
  EXPECT_EQ(ReadRtf("{\\rtf1 \\u-4064?x").paragraphs[0].Text(), "\xEF\x80\xA0x");
}

TEST(RichText, PlainTextPages) {
  const TRichText t = ReadTextPage("first\r\nsecond\rthird\n\ncaf\xE9");
  EXPECT_TRUE(t.monospace);
  ASSERT_EQ(t.paragraphs.size(), 5u);
  EXPECT_EQ(t.paragraphs[1].Text(), "second");
  EXPECT_TRUE(t.paragraphs[3].runs.empty());
  EXPECT_EQ(t.paragraphs[4].Text(), "caf\xC3\xA9") << "not UTF-8: read as CP1252";
  EXPECT_FALSE(ReadTextPage("{\\rtf1 x}").monospace);
  EXPECT_TRUE(ReadTextPage("").paragraphs.empty());
}

}  // namespace
}  // namespace pelira
