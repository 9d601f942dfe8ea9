#include "engine/filter_request.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "engine/hls.h"

namespace pelira {

int FilterSliderCount(int kind) {
  switch (kind) {
    case 100: case 102: case 110: case 112: case 113: case 114: case 120: case 131: case 132: case 156: case 157:
    case 140: case 141: case 142: case 143: case 150: case 151: case 152: case 153: case 154: case 155:
    case 400: case 401: case 402: case 403:
      return 3;
    case 130: case 133: case 134: case 135: case 510: case 230: case 231: case 241: case 242: case 243: case 520:
    case 501: case 502: case 503: case 531:
      return 2;
    default:
      return kind >= 410 && kind <= 416 ? 2 : 1;
  }
}

std::array<std::string, 3> FilterSliderNames(int kind) {
  switch (kind) {
    case 100: case 102: case 110: case 112: case 113: case 114: case 120: case 131: case 132: case 156: case 157:
      return {"&Red  ", "&Green", "&Blue "};
    case 130: case 133: case 134: case 135: return {"&Shadows", "High&Light", ""};
    case 416: return {"&Brightness", "&Contrast", ""};
    case 510: return {"&Blend", "&Field", ""};
    case 140: case 141: case 142: case 143: return {"&Center", "&Band", "&Gain"};
    case 150: return {"H&ue", "&Lum", "&Sat"};
    case 151: case 152: case 153: case 154: case 155: return {"H&ue band", "&Lum band", "&Sat band"};
    case 160: return {"&Match", "", ""};
    case 230: case 231: case 241: case 242: case 243: case 520: return {"&Filter", "&Effect", ""};
    case 501: case 502: case 503: case 531: return {"&Band", "&Mask", ""};
    case 400: case 401: case 402: case 403: return {"&Shadows", "&Median", "High&Light"};
    default: return kind >= 410 && kind <= 415 ? std::array<std::string, 3>{"&Center", "&Band", ""}
                                               : std::array<std::string, 3>{"", "", ""};
  }
}

std::string FilterButtonCaption(int kind) {
  switch (kind) {
    case 110: case 112: case 113: case 131: case 132: case 130: case 133: case 134: case 135:
    case 400: case 401: case 402: case 403:
      return "Histogram";
    case 140: case 141: case 142: case 143: return "E&Q Curve";
    case 151: case 152: case 155: return "Show mask";
    default: return kind >= 410 && kind <= 416 ? "Histogram" : "";
  }
}

std::string FilterHistogramTitle(int kind) {
  return kind >= 140 && kind <= 143 ? "Parametric EQ Curve" : "Histogram [Unmodified image]";
}

bool FilterShowsColorPanel(int kind) {
  return kind == 114 || (kind >= 140 && kind <= 143) || (kind >= 150 && kind <= 157) || kind == 160;
}

std::array<int, 3> SlidersForPickedColor(int kind, ColorValue c, std::array<int, 3> current) {
  const int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
  switch (kind) {
    case 114: case 156: case 157: return {r, g, b};
    case 140: current[0] = (std::max({r, g, b}) + std::min({r, g, b})) / 2; break;
    case 141: current[0] = r; break;
    case 142: current[0] = g; break;
    case 143: current[0] = b; break;
    default: break;
  }
  return current;
}

std::string PickedColorText(ColorValue c) {
  const Hls h = RGBToHLS(RedOf(c), GreenOf(c), BlueOf(c));
  return "H=" + std::to_string(h.h) + " L=" + std::to_string(h.l) + " S=" + std::to_string(h.s);
}

SliderSpec EffectiveSlider(const TFilterDlgParam& r, int i) {
  return r.ownLabels ? r.slider[static_cast<std::size_t>(i)] : r.slider[0];
}

std::pair<std::string, std::string> EffectiveLabels(const TFilterDlgParam& r, int i, const std::string& minLabel,
                                                    const std::string& maxLabel) {
  if (r.ownLabels) return {r.labels[static_cast<std::size_t>(2 * i)], r.labels[static_cast<std::size_t>(2 * i + 1)]};
  return {minLabel, maxLabel};
}

namespace {

std::string Plain(std::string name) {
  name.erase(std::remove(name.begin(), name.end(), '&'), name.end());
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

}  // namespace

FilterAnswer SliderFilterRequester::RunFilterDialog(const std::string& title, const std::string& minLabel,
                                                    const std::string& maxLabel, const TFilterDlgParam& request) {
  FilterAnswer answer;
  const int count = FilterSliderCount(request.kind);
  const auto names = FilterSliderNames(request.kind);
  for (int i = 0; i < count; ++i) {
    const SliderSpec s = EffectiveSlider(request, i);
    SliderRequest q;
    q.min = s.min;
    q.max = s.max;
    q.start = std::clamp(s.start, s.min, s.max);
    q.page = s.page;
    q.line = s.line;
    const auto [lo, hi] = EffectiveLabels(request, i, minLabel, maxLabel);
    const std::string name = Plain(names[static_cast<std::size_t>(i)]);
    const std::string caption = count > 1 && !name.empty() ? title + " - " + name : title;
    const int v = ask_.RunSliderDialog(caption, lo, hi, q);
    if (v == kDialogCancelled) return FilterAnswer{};
    answer.values[static_cast<std::size_t>(i)] = std::clamp(v, s.min, s.max);
  }
  for (int i = count; i < 3; ++i) answer.values[static_cast<std::size_t>(i)] = answer.values[0];
  answer.result = answer.values[0];
  return answer;
}

SliderEntry ParseSliderText(const std::string& text, int min, int max, int start) {
  std::size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  const std::string t = text.substr(b);
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(t.c_str(), &end, 10);
  const bool number = end != t.c_str() && *end == '\0' && (std::isdigit(static_cast<unsigned char>(t[0])) ||
                                                          ((t[0] == '-' || t[0] == '+') && t.size() > 1));
  if (!number) return {true, start};
  if (errno == ERANGE) return {true, t[0] == '-' ? min : max};
  return {true, static_cast<int>(std::clamp<long long>(v, min, max))};
}

const char* ThumbSizeText(int position) {
  switch (position) {
    case 1: return "64x48";
    case 2: return "80x60";
    case 3: return "96x72";
    case 4: return "120x90";
    case 5: return "132x99";
    case 6: return "144x108";
    case 7: return "152x114";
    default: return "168x126";
  }
}

std::string HexLabel(int value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(value));
  return buf;
}

}  // namespace pelira
