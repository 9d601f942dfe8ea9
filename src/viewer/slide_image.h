#pragma once
// Loads that resample the picture to the window (View › Best fit, 4:3 TV, 16:9 Wide) and the
// screen gamma every load applies. The loader hands over the decoded picture; these steps
// bring it to its aspect and into the box, and adjust its gamma.
#include <string>

#include "display/geometry.h"
#include "image/dib.h"
#include "viewer/view_state.h"

namespace pelira {

inline constexpr int kNeutralGamma = 100;


// The size the aspect mode gives a width x height picture before it is fitted to the box:
// 4:3 and 16:9 stretch the width to the height's proportion; 1:1 keeps the size.
SizeI AspectTarget(int width, int height, AspectModes aspect);

// A load that resamples to the window: the aspect target fitted into the box (the client width
// by the viewport height), then a further fit when the result is still larger than the box.
// Always 24 bits (a 1-bit page shrinks through gray shades).
Dib SlideResample(Dib picture, AspectModes aspect, SizeI box);

// The screen gamma of a resampled load: above 100 the library's gamma curve, below it the
// tone tables (pictures under 15 bits made true colour first). 100 changes nothing.
void SlideGamma(Dib& picture, int gamma100);

// The screen gamma of an ordinary load (and of View › Gamma on the current picture): the tone
// tables for all three channels on a true-colour copy; 1-bit pictures and 100 are left alone.
// True when the picture changed.
bool ScreenGamma(Dib& picture, int gamma100);

// The question before an aspect mode that resamples ("" for 1:1 Monitor and Best fit).
std::string AspectQuestion(AspectModes aspect);
inline constexpr const char* kMultipageAspectText = "Multipage documents cannot use this feature.";
inline constexpr int kAspectHelpContext = 104;
inline constexpr const char* kScreenGammaText =
    "All viewed images will be modified and gamma adjusted;\nsubsequent gamma adjustments will be cumulative.\n\n"
    "[Ignore] avoids this dialog (for experts).";
inline constexpr int kScreenGammaHelpContext = 100;

}  // namespace pelira
