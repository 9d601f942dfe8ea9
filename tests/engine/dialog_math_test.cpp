#include <gtest/gtest.h>

#include <deque>

#include "engine/dialog_math.h"
#include "engine/filter_request.h"

namespace pelira {
namespace {

TEST(SliderDialog, TypedText) {
  struct Case {
    const char* text;
    bool changed;
    int value;
  };
  const Case cases[] = {
      {"", false, 0},     {"   ", false, 0},  {"5000", true, 800}, {"10", true, 25},  {"-3", true, 25},
      {"abc", true, 100}, {"12x", true, 100}, {" 300", true, 300}, {"-", true, 100},
      {"99999999999999999999", true, 800},
  };
  for (const Case& c : cases) {
    const SliderEntry e = ParseSliderText(c.text, 25, 800, 100);
    EXPECT_EQ(e.changed, c.changed) << c.text;
    if (c.changed) EXPECT_EQ(e.value, c.value) << c.text;
  }
  EXPECT_STREQ(ThumbSizeText(1), "64x48");
  EXPECT_STREQ(ThumbSizeText(7), "152x114");
  EXPECT_STREQ(ThumbSizeText(0), "168x126");
  EXPECT_EQ(HexLabel(0xFF8000), "00FF8000");
}

class QueuedSliders : public SliderRequester {
public:
  int RunSliderDialog(const std::string& title, const std::string& lo, const std::string& hi,
                      const SliderRequest& r) override {
    asked.push_back(title + "|" + lo + "|" + hi + "|" + std::to_string(r.min) + ".." + std::to_string(r.max) + "@" +
                    std::to_string(r.start));
    const int v = answers.front();
    answers.pop_front();
    return v;
  }
  std::deque<int> answers;
  std::vector<std::string> asked;
};

TEST(SliderFilterRequester, AsksEachSliderInTurn) {
  QueuedSliders s;
  SliderFilterRequester req(s);
  TFilterDlgParam p;
  p.kind = 400;  // three sliders, own labels
  p.ownLabels = true;
  p.slider = {SliderSpec{0, 255, 0, 8, 1}, SliderSpec{0, 255, 128, 8, 1}, SliderSpec{0, 255, 255, 8, 1}};
  p.labels = {"0 (less)", "255 (more)", "0 (low)", "255 (high)", "0 (more)", "255 (less)"};
  s.answers = {10, 120, 999};
  const FilterAnswer a = req.RunFilterDialog("Limit Intensities (All)", "", "", p);
  EXPECT_EQ(a.result, 10);
  EXPECT_EQ(a.values, (std::array<int, 3>{10, 120, 255})) << "an answer past the range is limited";
  EXPECT_EQ(s.asked, (std::vector<std::string>{"Limit Intensities (All) - Shadows|0 (less)|255 (more)|0..255@0",
                                               "Limit Intensities (All) - Median|0 (low)|255 (high)|0..255@128",
                                               "Limit Intensities (All) - HighLight|0 (more)|255 (less)|0..255@255"}));
}

TEST(SliderFilterRequester, SharedRangeAndCancelOnAny) {
  QueuedSliders s;
  SliderFilterRequester req(s);
  TFilterDlgParam p;
  p.kind = 100;  // red, green, blue without own labels: slider 1's range for all
  p.slider[0] = SliderSpec{1, 500, 100, 10, 1};
  s.answers = {120, -999};
  EXPECT_TRUE(req.RunFilterDialog("Adjust Gamma (1/100)", "1 (dark)", "500 (bright)", p).Cancelled());
  ASSERT_EQ(s.asked.size(), 2u);
  EXPECT_EQ(s.asked[1], "Adjust Gamma (1/100) - Green|1 (dark)|500 (bright)|1..500@100");
  p.kind = 101;  // one slider: the title alone, values copied
  s.answers = {77};
  s.asked.clear();
  const FilterAnswer a = req.RunFilterDialog("Adjust Gamma (1/100)", "1 (dark)", "500 (bright)", p);
  EXPECT_EQ(s.asked, std::vector<std::string>{"Adjust Gamma (1/100)|1 (dark)|500 (bright)|1..500@100"});
  EXPECT_EQ(a.values, (std::array<int, 3>{77, 77, 77}));
}

TEST(FilterPreviewPick, SlidersTakeThePickedColour) {
  const ColorValue c = MakeColor(200, 90, 30);
  const std::array<int, 3> kept{5, 6, 7};
  struct Case {
    int kind;
    std::array<int, 3> sliders;
  } cases[] = {
      {114, {200, 90, 30}}, {156, {200, 90, 30}}, {157, {200, 90, 30}},
      {140, {115, 6, 7}},  // (max + min) div 2
      {141, {200, 6, 7}},  {142, {90, 6, 7}},     {143, {30, 6, 7}},
      {160, kept},         {150, kept},           {3, kept},
  };
  for (const Case& k : cases) EXPECT_EQ(SlidersForPickedColor(k.kind, c, kept), k.sliders) << k.kind;
}

TEST(FilterPreviewPick, PanelTextIsTheHlsOfThePick) {
  EXPECT_EQ(PickedColorText(MakeColor(255, 0, 0)), "H=0 L=1800 S=3600");
  EXPECT_EQ(PickedColorText(MakeColor(128, 128, 128)), "H=2400 L=1807 S=0");
}

TEST(SizeDialog, AspectAndScale) {
  const SizeLimits l{400, 300, 4000, 3000};
  EXPECT_EQ(TypedSide(l, 200, false, true, 300), (SizePair{200, 150, false}));
  EXPECT_EQ(TypedScale(l, 50, false, true, 300), (SizePair{200, 150, false}));
  EXPECT_EQ(TypedSide(l, 0, false, false, 300), (SizePair{1, 300, true})) << "never 0";
  // Past the other side's maximum: the other side is the maximum, this one follows.
  const SizeLimits tall{100, 400, 1000, 1000};
  EXPECT_EQ(TypedSide(tall, 400, false, true, 400), (SizePair{250, 1000, false}));
  EXPECT_EQ(TypedSide(l, 99999, true, true, 400), (SizePair{4000, 3000, true}));
  EXPECT_TRUE(TypedScale(l, 1e30, false, true, 300).beep) << "overflow gives the maximum with a beep";
  EXPECT_EQ(TypedScale(l, 1e30, false, false, 300).width, 4000);
  EXPECT_EQ(TypedScale(l, 0.01, false, false, 300).width, 1);
  EXPECT_EQ(ScaleText(200, 400), "50.0");
}

TEST(GridDialog, CellsAndCaption) {
  EXPECT_EQ(GridCellRect(2, 1, 3, 2, 1000, 600), (GridCell{666, 300, 998, 599}));
  EXPECT_EQ(GridCaption(3, 2, 1000, 600, 2, 1, true), "Grid Select 333x300  Left=666  Top=300");
  EXPECT_EQ(GridCaption(3, 2, 1000, 600, 0, 0, false), "Grid Select 333x300  Left=0  Top=0");
  // More cells than pixels would give empty cells.
  EXPECT_EQ(GridCellRect(7, 0, 8, 1, 3, 3), (GridCell{2, 0, 2, 2}));
  // Grid 2 x 2 on 100 x 100: a 50 x 50 cell.
  const GridCell c = GridCellRect(1, 1, 2, 2, 100, 100);
  EXPECT_EQ(c.right - c.left + 1, 50);
  EXPECT_EQ(GridArea(1000, 600).height, 192);
  EXPECT_EQ(GridArea(600, 1000).width, 144);
  EXPECT_EQ(GridArea(50, 1000).width, 320);
}

TEST(HistogramView, BarHeights) {
  EXPECT_EQ(HistogramBarHeight(100, 100, 1), 255);
  EXPECT_EQ(HistogramBarHeight(50, 100, 1), 127);
  EXPECT_EQ(HistogramBarHeight(100, 100, 4), 255) << "zoomed bars stop at the top";
  EXPECT_EQ(HistogramBarHeight(3, 2, 8), 255) << "a peak below the zoom still draws";
  EXPECT_EQ(HistogramBarHeight(1 << 30, 1 << 30, 1), 255) << "no 32-bit overflow";
  Histograms h;
  h.peak = 9;
  h.red[3] = 1;
  h.saturation[3] = 4;
  EXPECT_EQ(HistogramBinText(h, 3), "Bin:   3\nMax: 9\nRed: 1\nGrn:  0\nBlu:   0\nGry:   0\nSat:   4");
}

}  // namespace
}  // namespace pelira
