#pragma once
// The `run tag` names the temporary files of one run: "_" + 8 upper-case hex digits of a
// random number 0..268435454 + the window handle as 4 upper-case hex digits
// ("_0A1B2C3D04F2"). The app passes its process id masked to 16 bits as the handle.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pelira {

inline constexpr std::uint32_t kRunTagRandomMax = 268435454;  // 0FFFFFFE

// Returns a uniformly drawn number in 0..max (inclusive).
using TagRandom = std::function<std::uint32_t(std::uint32_t max)>;

// A source seeded from std::random_device.
TagRandom DefaultRandomSource();

// Formats a tag; random above kRunTagRandomMax is reduced modulo 268435455, and only the low
// 16 bits of the handle are used.
std::string FormatRunTag(std::uint32_t random, std::uint32_t window_handle);

// Draws the random number from source and formats the tag.
std::string MakeRunTag(const TagRandom& source, std::uint32_t window_handle);

// The 8 random digits that temporary file names use, or "" when tag is not a run tag.
std::string RandomDigits(std::string_view tag);

// The tag of this process, made on first use from DefaultRandomSource() and the process id.
const std::string& ThisRunTag();

}  // namespace pelira
