#pragma once
// The pictures the viewer exchanges through the clipboard: the viewport's region, the block
// a Paste Selection copies, and the decoding of what another program put there.
#include <cstdint>

#include "display/geometry.h"
#include "edit/picture_state.h"
#include "image/dib.h"
#include "viewer/clipboard.h"

namespace pelira {

inline constexpr const char* kClipboardTooLargeText = "Image may be too large for clipboard.\nFunction aborted.";
inline constexpr const char* kPasteFailedText = "Paste from clipboard failed.";

// The part of a picture (picW x picH) the viewport shows: its scroll position and client
// size are in screen pixels, so they are divided by the zoom; a fitted picture is shown whole.
// Cut at the picture's edges; empty when nothing of the picture shows.
RectI ViewportRegion(int scrollX, int scrollY, int clientW, int clientH, int zoomPercent, bool fitMode, int picW,
                     int picH);

// A copy of region of bitmap in its depth and palette (cut at the bitmap's edges).
Dib CopyRegion(const Dib& bitmap, RectI region);

// The block Paste Selection copies: |right - left| + 1 by |bottom - top| + 1 from the
// clipboard picture's top-left, placed at the selection's top-left, cut at the picture's and
// at the clipboard picture's right and bottom edges.
RectI PasteBlock(const SelectionBounds& selection, int picW, int picH, int clipW, int clipH);

// Copies that block of clip into picture. picture must be 24-bit or of clip's depth and
// palette; the command makes it 24-bit first otherwise.
void PasteInto(Dib& picture, const Dib& clip, const SelectionBounds& selection);
// Whether PasteInto can copy clip into picture as it is.
bool PasteNeedsTrueColor(const Dib& picture, const Dib& clip);

// The clipboard's picture decoded with our own codecs under the pixel limit; transparency
// lies on background (a colour value). Raises EVistrelError (or the codec's error) on bad data.
Dib DecodeClipboard(const ClipboardData& data, ColorValue background);

}  // namespace pelira
