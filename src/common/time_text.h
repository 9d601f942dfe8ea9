#pragma once
// Elapsed-time and rate texts of loads, delays and the long album operations.
#include <cstdint>
#include <string>

namespace pelira {

// "%d.%ds": whole seconds, then the truncated tenth (1234 ms gives "1.2s"); negative times
// count as 0.
std::string SecondsTenthsText(std::int64_t ms);

// The viewer's status after a JPEG decode: "Loaded " + SecondsTenthsText of the elapsed time,
// which is first reduced by 100 ms when above 200 ms.
std::string LoadedText(std::int64_t elapsed_ms);

// Rates are shown only once more than this much time has passed.
inline constexpr std::int64_t kRateShownAfterMs = 1200;

// Slides per minute: done * 100 / (elapsed / 600), truncated (done * 60000 / elapsed exactly).
// 0 when no time has passed.
std::int64_t SlidesPerMinute(std::int64_t done, std::int64_t elapsed_ms);

// "Slides/min: " + rate, or "" while elapsed_ms <= kRateShownAfterMs.
std::string SlidesPerMinuteText(std::int64_t done, std::int64_t elapsed_ms);

// The remaining-time text: with r = the rate (at least 1) and n = remaining slides,
// "Slides/min: " + r + "  ...  ~ " + (n div r) + " min. to finish" when n div r > 1, else the
// same with 1 minute; "" while elapsed_ms <= kRateShownAfterMs.
std::string RemainingTimeText(std::int64_t done, std::int64_t remaining, std::int64_t elapsed_ms);

}  // namespace pelira
