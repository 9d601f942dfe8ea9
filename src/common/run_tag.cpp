#include "common/run_tag.h"

#include <unistd.h>

#include <memory>
#include <mutex>
#include <random>

#include "common/hex_text.h"

namespace pelira {

TagRandom DefaultRandomSource() {
  auto engine = std::make_shared<std::mt19937>(std::random_device{}());
  auto lock = std::make_shared<std::mutex>();
  return [engine, lock](std::uint32_t max) {
    std::uniform_int_distribution<std::uint32_t> pick(0, max);
    std::lock_guard<std::mutex> guard(*lock);
    return pick(*engine);
  };
}

std::string FormatRunTag(std::uint32_t random, std::uint32_t window_handle) {
  return "_" + Hex8(random % (kRunTagRandomMax + 1)) + HexUpper(window_handle & 0xFFFFu, 4);
}

std::string MakeRunTag(const TagRandom& source, std::uint32_t window_handle) {
  return FormatRunTag(source(kRunTagRandomMax), window_handle);
}

std::string RandomDigits(std::string_view tag) {
  if (tag.size() != 13 || tag[0] != '_') return "";
  for (char c : tag.substr(1)) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    if (!hex) return "";
  }
  return std::string(tag.substr(1, 8));
}

const std::string& ThisRunTag() {
  static const std::string tag =
      MakeRunTag(DefaultRandomSource(), static_cast<std::uint32_t>(::getpid()));
  return tag;
}

}  // namespace pelira
