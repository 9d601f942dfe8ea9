#pragma once
// The question every command asks before the picture (or an album) is discarded.
#include "platform/ui.h"
#include "viewer/view_state.h"

namespace pelira {

inline constexpr const char* kDiscardImageText = "You have unsaved changes.\nDiscard modified image?";
inline constexpr const char* kDiscardAlbumText = "Discard slideshow/album?";

// While a critical process runs: its warning, and the answer is No. Otherwise asks about a
// modified album (unless the caller is the "Explore" button) or the modified picture; Yes
// clears ImageModified. Returns true for Yes; callers stop on false.
bool CloseNow(Ui& ui, ViewState& state, bool albumModified, bool fromExploreButton = false);

}  // namespace pelira
