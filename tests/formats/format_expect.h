#pragma once
// Shared checks of the format tests: pictures against a committed decode (R,G,B bytes, top
// row first) and the golden files of our writers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "image/dib.h"
#include "image/dib_graphic.h"
#include "support/test_support.h"

namespace pelira::test {

inline std::filesystem::path FormatFixture(const std::string& name) { return Fixture("formats/" + name); }
inline Bytes FormatBytes(const std::string& name) { return ReadBytes(FormatFixture(name)); }

// Every pixel of a bitmap equals the decode in rgbName.
inline ::testing::AssertionResult PixelsMatch(const Dib& d, const std::string& rgbName) {
  const Bytes want = FormatBytes(rgbName);
  if (want.size() != static_cast<std::size_t>(d.Width()) * static_cast<std::size_t>(d.Height()) * 3)
    return ::testing::AssertionFailure() << rgbName << ": size " << d.Width() << "x" << d.Height()
                                         << " does not match " << want.size() << " bytes";
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < d.Width(); ++x) {
      const std::size_t o = (static_cast<std::size_t>(y) * static_cast<std::size_t>(d.Width()) +
                             static_cast<std::size_t>(x)) * 3;
      const ColorValue want_c = MakeColor(want[o], want[o + 1], want[o + 2]);
      if (d.Pixel(x, y) != want_c)
        return ::testing::AssertionFailure() << rgbName << " at " << x << "," << y << ": got " << std::hex
                                             << d.Pixel(x, y) << " want " << want_c;
    }
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult PixelsMatch(const TDibGraphic& g, const std::string& rgbName) {
  return PixelsMatch(g.AsDib(), rgbName);
}

// Same pictures: size and every pixel's colour.
inline ::testing::AssertionResult SameColors(const Dib& a, const Dib& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height())
    return ::testing::AssertionFailure() << "sizes differ";
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y))
        return ::testing::AssertionFailure() << "pixel " << x << "," << y << ": " << std::hex << a.Pixel(x, y)
                                             << " vs " << b.Pixel(x, y);
  return ::testing::AssertionSuccess();
}

// Our writer's bytes equal the committed golden file (each checked once with ImageMagick,
// see tests/fixtures/README.md). PELIRA_REGEN_GOLDEN=1 rewrites the file instead.
inline void ExpectGolden(const Bytes& written, const std::string& name) {
  const auto path = FormatFixture("written/" + name);
  if (std::getenv("PELIRA_REGEN_GOLDEN")) {
    std::filesystem::create_directories(path.parent_path());
    WriteBytes(path, written);
    return;
  }
  EXPECT_EQ(written, ReadBytes(path)) << name;
}

}  // namespace pelira::test
