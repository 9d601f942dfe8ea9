#pragma once
// How commands ask for their numbers. The filter preview dialog answers a whole request of up
// to three sliders (FilterRequester); the slider dialog answers one number (SliderRequester).
// SliderFilterRequester answers a preview request without pictures, asking each slider in
// turn through the slider dialog, with the same ranges and labels.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/engine_state.h"
#include "image/dib.h"

namespace pelira {

inline constexpr int kDialogCancelled = -999;

struct SliderSpec {
  int min = 0, max = 0, start = 0, page = 1, line = 1;
};

// Runs the command's own edit on a bitmap with the three slider positions. The preview
// dialog calls it on its after picture; the command calls it on the picture after Apply, so
// what was seen is what is applied.
using FilterPreview = std::function<void(Dib& target, const std::array<int, 3>& values)>;
// The same for the two-image kinds: second is the request's second image cut to the view
// the target shows.
using FilterPreviewWithSecond =
    std::function<void(Dib& target, const Dib& second, const std::array<int, 3>& values)>;

// The preview request, passed by value.
struct TFilterDlgParam {
  std::array<SliderSpec, 3> slider{};
  int kind = 0;
  bool ownLabels = false;  // false: sliders 2 and 3 take slider 1's range, steps and start
  bool autoTest = false;
  std::array<std::string, 6> labels{};  // min and max labels of sliders 1, 2, 3
  FilterPreview preview;                 // empty: the dialog shows no after picture
  // The Histogram / E&Q Curve button's picture for the slider positions; empty hides it.
  std::function<Histograms(const std::array<int, 3>& values)> histogram;
  // The colour panel's first colour (silver when unset), and who hears of a colour picked
  // from the before picture.
  std::optional<ColorValue> panelColor;
  std::function<void(ColorValue picked)> picked;
  // Two-image kinds: the second image (the duplicate), cut or reduced like the picture for
  // each preview and handed to previewWithSecond in place of preview.
  const Dib* second = nullptr;
  FilterPreviewWithSecond previewWithSecond;
  // The "Show mask" button's view of the selection, run on the after picture like a preview.
  FilterPreview maskPreview;
};

struct FilterAnswer {
  int result = kDialogCancelled;  // slider 1 on Apply, -999 otherwise
  std::array<int, 3> values{};    // every slider's position on Apply
  bool Cancelled() const { return result == kDialogCancelled; }
};

class FilterRequester {
public:
  virtual ~FilterRequester() = default;
  virtual FilterAnswer RunFilterDialog(const std::string& title, const std::string& minLabel,
                                       const std::string& maxLabel, const TFilterDlgParam& request) = 0;
};

// The slider dialog's request.
struct SliderRequest {
  int min = 0, max = 100, start = 0, page = 10, line = 1;
  std::array<int, 6> presets{};
  bool showPresets = false;
  bool trackBar = false;
};

class SliderRequester {
public:
  virtual ~SliderRequester() = default;
  // The chosen position, or -999 when cancelled or closed.
  virtual int RunSliderDialog(const std::string& title, const std::string& minLabel, const std::string& maxLabel,
                              const SliderRequest& request) = 0;
};

// How many sliders a kind shows (1..3) and their names ("&Red  ", "&Center", ...; "" for
// the kinds that show a bare slider).
int FilterSliderCount(int kind);
std::array<std::string, 3> FilterSliderNames(int kind);

// The extra button a kind shows ("Histogram", "E&Q Curve", "Show mask"; "" for none), its
// histogram view's title, and whether the kind shows the colour panel.
std::string FilterButtonCaption(int kind);
std::string FilterHistogramTitle(int kind);
bool FilterShowsColorPanel(int kind);
inline constexpr ColorValue kSilverPanel = MakeColor(192, 192, 192);
// The slider positions after a click on the before picture picked c: the RGB kinds take its
// components, Parametric EQ its lightness or one channel; other kinds keep theirs.
std::array<int, 3> SlidersForPickedColor(int kind, ColorValue c, std::array<int, 3> current);
// The panel's text for a picked colour: "H=h L=l S=s".
std::string PickedColorText(ColorValue c);

// The effective slider i (0..2) of a request: its own, or slider 1's without own labels.
SliderSpec EffectiveSlider(const TFilterDlgParam& r, int i);
// The end labels of slider i: own, else the ones passed; "" means the numbers.
std::pair<std::string, std::string> EffectiveLabels(const TFilterDlgParam& r, int i, const std::string& minLabel,
                                                    const std::string& maxLabel);

class SliderFilterRequester : public FilterRequester {
public:
  explicit SliderFilterRequester(SliderRequester& ask) : ask_(ask) {}
  // Asks each shown slider in turn; Cancel on any gives -999. The caption names the slider.
  FilterAnswer RunFilterDialog(const std::string& title, const std::string& minLabel, const std::string& maxLabel,
                               const TFilterDlgParam& request) override;

private:
  SliderRequester& ask_;
};

// The slider dialog's arithmetic: a typed text against the range. Empty text changes
// nothing (nullopt); a number outside the range is limited to it; anything else gives the
// start position back.
struct SliderEntry {
  bool changed = false;
  int value = 0;
};
SliderEntry ParseSliderText(const std::string& text, int min, int max, int start);
// The track-bar mode's size text for a position ("64x48" ... "168x126").
const char* ThumbSizeText(int position);
// The hexadecimal label (shown for colour ranges, max >= 1048576).
std::string HexLabel(int value);

}  // namespace pelira
