#include <gtest/gtest.h>

#include "viewer/status_text.h"

namespace pelira {
namespace {

TEST(ImageDescription, SizeBitsAndReducedScale) {
  ViewState s;
  s.ImageWidth = 1024;
  s.ImageHeight = 768;
  s.ImageBits = 24;
  EXPECT_EQ(ImageDescription(s), "1024x768(24) dib");
  s.ImageWidth = 1500;
  s.ImageHeight = 1000;
  s.SourceWidth = 6000;
  s.SourceHeight = 4000;
  s.ReducedScale = 4;
  EXPECT_EQ(ImageDescription(s), "6000x4000(24) [1:4] dib");
  s.ResampleOnLoad = true;  // resampled pictures describe what is shown
  EXPECT_EQ(ImageDescription(s), "1500x1000(24) dib");
}

TEST(CaptionText, FileNamePartAndTitle) {
  EXPECT_EQ(CaptionText("Untitled"), "Untitled - Pelira 7.7");
  EXPECT_EQ(CaptionText("/home/Ann/Pics/Beach Day.BMP"), "Beach Day.BMP - Pelira 7.7");
}

TEST(StatusTexts, PagesAndZoom) {
  EXPECT_EQ(PageStatusText(0, 3), "Page 1 of 3");
  EXPECT_EQ(ZoomPanelText(false, 125), "125%");
  EXPECT_EQ(ZoomPanelText(true, 125), "Fit");
}

}  // namespace
}  // namespace pelira
