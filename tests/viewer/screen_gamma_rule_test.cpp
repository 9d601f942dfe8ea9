#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"
#include "viewer/screen_gamma_rule.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;

// Reload only when it loses nothing; otherwise a shown picture takes the gamma in place, and
// turning the gamma off changes nothing in place.
TEST(ScreenGammaRule, ReloadsOnlyAnUnmodifiedPictureOfAFileThatIsThere) {
  test::TempDir dir;
  const fs::path folder = dir.path();
  const std::string file = (folder / "shown.bmp").string();
  test::WriteText(file, "x");
  const std::string gone = (folder / "gone.bmp").string();
  using S = ScreenGammaStep;
  struct Case { bool on, modified, shown; std::string path; bool reload; S want; };
  const Case cases[] = {
      {true, false, true, file, true, S::Reload},
      {false, false, true, file, true, S::Reload},     // off: the file as it is
      {true, true, true, file, true, S::InPlace},      // unsaved edits stay
      {false, true, true, file, true, S::Nothing},
      {true, false, true, gone, true, S::InPlace},     // the file went away
      {true, false, true, folder.string(), true, S::InPlace},
      {true, false, true, "", true, S::InPlace},
      {true, false, true, file, false, S::InPlace},    // an untitled picture cannot reload
      {true, false, false, gone, true, S::Nothing},    // nothing shown
  };
  for (const Case& c : cases) {
    ScreenGammaFacts f;
    f.gammaOn = c.on;
    f.imageModified = c.modified;
    f.pictureShown = c.shown;
    f.pathBoxText = c.path;
    f.reloadEnabled = c.reload;
    EXPECT_EQ(ScreenGammaStepFor(f), c.want) << c.path << " on=" << c.on << " modified=" << c.modified
                                             << " reload=" << c.reload;
  }
}

}  // namespace
}  // namespace pelira
