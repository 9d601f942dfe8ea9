#include "common/time_text.h"

#include <algorithm>

namespace pelira {

std::string SecondsTenthsText(std::int64_t ms) {
  ms = std::max<std::int64_t>(ms, 0);
  return std::to_string(ms / 1000) + "." + std::to_string((ms % 1000) / 100) + "s";
}

std::string LoadedText(std::int64_t elapsed_ms) {
  return "Loaded " + SecondsTenthsText(elapsed_ms > 200 ? elapsed_ms - 100 : elapsed_ms);
}

std::int64_t SlidesPerMinute(std::int64_t done, std::int64_t elapsed_ms) {
  if (elapsed_ms <= 0 || done <= 0) return 0;
  return done * 60000 / elapsed_ms;
}

std::string SlidesPerMinuteText(std::int64_t done, std::int64_t elapsed_ms) {
  if (elapsed_ms <= kRateShownAfterMs) return "";
  return "Slides/min: " + std::to_string(SlidesPerMinute(done, elapsed_ms));
}

std::string RemainingTimeText(std::int64_t done, std::int64_t remaining, std::int64_t elapsed_ms) {
  if (elapsed_ms <= kRateShownAfterMs) return "";
  const std::int64_t rate = std::max<std::int64_t>(SlidesPerMinute(done, elapsed_ms), 1);
  const std::int64_t minutes = std::max<std::int64_t>(remaining, 0) / rate;
  return "Slides/min: " + std::to_string(rate) + "  ...  ~ " +
         std::to_string(minutes > 1 ? minutes : 1) + " min. to finish";
}

}  // namespace pelira
