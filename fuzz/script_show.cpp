// The script slideshow's sequencer on arbitrary script bytes: it never reads outside the
// script, never hangs on scripts that name scripts, and every slide's properties place its
// picture and text panel inside the window.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/dib.h"
#include "slideshow/script_sequencer.h"
#include "slideshow/slide_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // Names that start with "x" are missing; every script named is this one again.
  auto exists = [](const std::string& path) {
    const auto slash = path.rfind('/');
    return slash != std::string::npos && slash + 1 < path.size() && path[slash + 1] != 'x';
  };
  auto reader = [&bytes](const std::string&) -> std::optional<std::string> { return bytes; };
  pelira::ScriptSequencer s("/shows/fuzz.avl", bytes, size % 2 == 0, exists, reader);
  pelira::SeededRandom random(size);
  const pelira::Dib picture(7, 5, 24);
  for (int k = 0; k < 200; ++k) {
    const pelira::ShowStep step = s.Next(random);
    if (step.action == pelira::ShowAction::Stop) break;
    if (step.action == pelira::ShowAction::ShowPicture) {
      const pelira::PlacedPicture placed = pelira::PlaceScriptPicture(picture, step.props, 64, 48, 0);
      if (placed.rect.left < 0 || placed.rect.top < 0 || placed.rect.right > 64 || placed.rect.bottom > 48) std::abort();
      s.EffectFor(step.effectEntry, placed.rect.Width(), placed.rect.Height(), 1, 64, random);
    }
    if (step.action == pelira::ShowAction::ShowText) {
      const pelira::TRect r = pelira::TextPanelRect(step.props, static_cast<int>(size % 3), 64, 48);
      if (r.left < 0 || r.top < 0 || r.right > 64 || r.bottom > 48 || r.Width() <= 0) std::abort();
    }
  }
  return 0;
}
