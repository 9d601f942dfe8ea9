#pragma once
// What a new screen gamma does to the picture shown. The file comes again through the load,
// which applies the setting, when that loses nothing: the picture is unmodified, the path box
// names a file that is there, and Reload is possible. Otherwise a shown picture takes the gamma
// where it stands (unsaved edits are never dropped for it); turning the gamma off changes
// nothing in place.
#include <string>

namespace pelira {

enum class ScreenGammaStep { Reload, InPlace, Nothing };

struct ScreenGammaFacts {
  bool gammaOn = false;         // the new setting is not the neutral one
  bool imageModified = false;
  bool pictureShown = false;    // a picture is loaded and not empty
  std::string pathBoxText;      // the file the path box names
  bool reloadEnabled = false;   // File › Reload is possible
};

// True when path names a regular file (a folder or nothing does not).
bool NamesRegularFile(const std::string& path);
ScreenGammaStep ScreenGammaStepFor(const ScreenGammaFacts& facts);

}  // namespace pelira
