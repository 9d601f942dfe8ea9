#include "album/avl_script.h"

#include <gtest/gtest.h>

namespace pelira {
namespace {

TEST(AvlScript, HeaderKeysMatchAnyCaseAndTheFirstCounts) {
  EXPECT_FALSE(AvlScript::Open("[Header]\r\nN=3\r\n"));
  const std::string text =
      "junk\r\n[header]\r\nn=4\r\nN=9\r\n@d=/data/x._d_\r\nrun=2\r\nTHMREC=136\r\n\r\n[DIRECTORY]\r\n0=/a<1>/\r\n1=\r\n\r\n"
      "[1]\r\nF=x.jpg,0\r\n";
  auto s = AvlScript::Open(text);
  ASSERT_TRUE(s);
  const AvlHeader& h = s->Header();
  EXPECT_EQ(h.n, 4);
  EXPECT_EQ(h.slideCount, 3);
  EXPECT_EQ(h.sidePaths[kSideRecords], "/data/x._d_");
  EXPECT_FALSE(h.AllSidePaths());
  EXPECT_EQ(h.run, 2);
  EXPECT_EQ(h.thmrec, "136");
  EXPECT_EQ(h.directories, (std::vector<std::string>{"/a[1]/", "c:\\"}));
  EXPECT_EQ(h.rawDirectories[0], "/a<1>/");
}

TEST(AvlScript, SectionsHaveNoLengthLimitAndKeepToTheirOwnBytes) {
  const std::string comment(3000, 'w');
  const std::string text = "[Header]\r\nN=4\r\n[1]\r\nF=a,0\r\nS=" + comment + "\r\nW=5\r\n\r\n[3]\r\nF=b.png,2\r\n\r\n[3]\r\nF=c.png,x\r\n";
  auto s = AvlScript::Open(text);
  ASSERT_TRUE(s);
  AvlSlide slide;
  ASSERT_TRUE(s->NextSection(1, slide));
  EXPECT_TRUE(slide.found);
  EXPECT_EQ(slide.comment, comment);  // all 3000 bytes: our own long comments read back whole
  EXPECT_EQ(slide.wait, 5);
  EXPECT_EQ(slide.name, "a.JPG");
  ASSERT_TRUE(s->NextSection(2, slide));  // the next section is "[3]": slide 2 has no values
  EXPECT_FALSE(slide.found);
  EXPECT_EQ(slide.wait, 0);
  EXPECT_TRUE(slide.comment.empty());
  ASSERT_TRUE(s->NextSection(3, slide));
  EXPECT_FALSE(slide.dirIndexOk);
  EXPECT_FALSE(s->NextSection(4, slide));
}

TEST(AvlScript, CandidatesTryTheEscapedReadingThenTheLiteralText) {
  AvlHeader h;
  h.directories = {"/p,q/", "c:\\PICS\\"};
  h.rawDirectories = {"/p?q/", "c:\\PICS\\"};
  AvlSlide s;
  s.rawName = "why?";
  s.name = "why,.JPG";
  s.dirIndex = 0;
  const auto c = AvlCandidatePaths(h, s);
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].dir + c[0].name, "/p,q/why,.JPG");
  EXPECT_EQ(c[1].dir + c[1].name, "/p,q/why?");
  EXPECT_EQ(c[2].dir + c[2].name, "/p?q/why,.JPG");
  EXPECT_EQ(c[3].dir + c[3].name, "/p?q/why?");
  s.dirIndex = 1;  // not a folder of this machine
  EXPECT_TRUE(AvlCandidatePaths(h, s).empty());
  s.dirIndex = 0;
  s.name = s.rawName = "../x.jpg";
  EXPECT_TRUE(AvlCandidatePaths(h, s).empty());
  EXPECT_EQ(AvlUnescape(AvlEscape("a,[b]")), "a,[b]");
  EXPECT_EQ(AvlEscape("a,[b]"), "a?<b>");
}

}  // namespace
}  // namespace pelira
