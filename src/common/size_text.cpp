#include "common/size_text.h"

namespace pelira {

namespace {
constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t k4GiB = 4ull * 1024 * 1024 * 1024;

std::string WithTenth(std::uint64_t bytes, std::uint64_t unit, const char* suffix) {
  const std::uint64_t whole = bytes / unit;
  const std::uint64_t tenth = (bytes % unit) * 10 / unit;  // rem < unit <= 2^20: no overflow
  std::string out = std::to_string(whole);
  if (tenth >= 1) out += "." + std::to_string(tenth);
  return out + suffix;
}
}  // namespace

std::string SizeText(std::uint64_t bytes) {
  if (bytes < kKiB) return std::to_string(bytes);
  if (bytes < kMiB) return WithTenth(bytes, kKiB, " KB");
  if (bytes < k4GiB) return WithTenth(bytes, kMiB, " MB");
  // Whole and fraction apart so that sizes near 2^64 do not overflow.
  std::uint64_t whole = bytes / kMiB;
  std::uint64_t hundredths = ((bytes % kMiB) * 100 + kMiB / 2) / kMiB;
  if (hundredths == 100) {
    ++whole;
    hundredths = 0;
  }
  std::string frac = std::to_string(hundredths);
  if (frac.size() < 2) frac.insert(0, "0");
  return std::to_string(whole) + "." + frac + " MB";
}

std::string InsufficientSpaceText(std::uint64_t required, std::uint64_t free,
                                  std::string_view last_line) {
  std::string out = "Insufficient disk space.\nReq.: " + std::to_string(required / 1024) +
                    " Kb\nFree: " + std::to_string(free / 1024) + " Kb\n\n";
  out += last_line;
  return out;
}

}  // namespace pelira
