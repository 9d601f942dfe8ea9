#include "viewer/close_now.h"

namespace pelira {

bool CloseNow(Ui& ui, ViewState& state, bool albumModified, bool fromExploreButton) {
  if (RefuseIfCritical(ui)) return false;
  const char* text = albumModified && !fromExploreButton ? kDiscardAlbumText : kDiscardImageText;
  const bool yes = ui.Message(MessageKind::Confirmation, text, Button::Yes | Button::No) == Button::Yes;
  if (yes) state.ImageModified = false;
  return yes;
}

}  // namespace pelira
