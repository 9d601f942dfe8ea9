#pragma once
// Our own imaging library: the operations the program calls on its imaging toolkit, with
// the results the callers rely on. An image is an opaque non-zero handle (0 = failure; the
// reason is kept for ImgGetStatus/ImgErrBox). A handle holds either a document (a file's
// pages, decoded on demand; see document_formats.h for the formats) or one bitmap made by
// ImgFromDIB or an operation. Handles may be used from any thread, one thread per handle.
//
// Rectangles are TRect with right and bottom exclusive: the toolkit's inclusive corners
// (0, 0, w - 1, h - 1) are TRect{0, 0, w, h} here.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "image/dib.h"
#include "image/dib_graphic.h"

namespace pelira {

using HIMG = std::uint32_t;

// Status codes of the last call on this thread.
enum ImgStatus : int {
  IMG_OK = 0,
  IMG_NOFILE = 1,      // the file cannot be opened
  IMG_BADFORMAT = 2,   // no format reads it
  IMG_BADHANDLE = 3,
  IMG_BADPARAM = 4,
  IMG_NOPAGE = 5,
  IMG_DECODE = 6,      // the format failed on the data (the message says why)
  IMG_TOOLARGE = 7,
};

struct ImgExtraInfo {
  int pageCount = 0;
  std::string type;  // "BMP", "TIF", ... or "DIB" for bitmaps in memory
};

int ImgInit();
void ImgShutdown();
bool ImgInitialised();

HIMG ImgOpenSolo(const std::string& path, int flags = 0);
// type: the format's name ("TIF", "BMP"); the bytes are copied.
HIMG ImgOpenMem(const std::uint8_t* bytes, std::size_t length, const char* type);
HIMG ImgFromDIB(ByteSpan packedDib);
// Convenience for core callers: a bitmap already in hand.
HIMG ImgFromBitmap(Dib bitmap);
int ImgClose(HIMG h);

int ImgPageCount(HIMG h, int* count);
int ImgGetPage(HIMG h, int* page);
int ImgSetPage(HIMG h, int page);  // 0-based

// Header of the current page: width, height, planes 1, bit count (1, 4, 8 or 24), image size.
int ImgGetInfoStruct(HIMG h, BitmapInfoHeader* header, ImgExtraInfo* extra);
// The palette of a palette page, none for 24 bits.
std::optional<Palette> ImgGetPalette(HIMG h);
// The current page's pixels (decoded on demand); null on failure.
const Dib* ImgGetBitmap(HIMG h);

// Draws the page scaled into rect of target (nearest pixel), in target's depth. 1 on success.
int ImgPrintImage(HIMG h, Dib& target, const TRect& rect, int flags = 0);
int ImgDrawImage(HIMG h, Dib& target, const TRect& src, const TRect& dst);

// A transition of the slideshow: the arguments of the effects table after mapping.
struct ImgEffect {
  int kind = 0, variant = 0, parameter = 0, byte3 = 0, byte4 = 0;
};
// Sleeps the given milliseconds unless stopping; returns true to end the transition.
using ImgPauseFn = std::function<bool(int milliseconds)>;
// The slideshow's transition renderer plugs in here; without one, transitions draw plainly.
using ImgTransitionRenderer = std::function<int(const Dib& image, Dib& target, const TRect& dst, const TRect& src,
                                                const ImgEffect& effect, const ImgPauseFn& pause)>;
void SetImgTransitionRenderer(ImgTransitionRenderer r);
int ImgDrawImageFX(HIMG h, Dib& target, const TRect& dst, const TRect& src, const ImgEffect& effect,
                   const ImgPauseFn& pause = nullptr);

// New handles (0 on failure); see image_ops.h for what each option gives.
HIMG ImgCopy(HIMG h, int width, int height, const TRect* rect, int option);
HIMG ImgReduceColors(HIMG h, int colours, int option);
HIMG ImgIncreaseColors(HIMG h, int bits);
// angle in hundredths of a degree, positive counter-clockwise; colour is a platform colour
// (0x00BBGGRR, as settings hold it).
HIMG ImgRotate(HIMG h, int angle, std::uint32_t platformColour);
// In place: horizontal swaps left and right, vertical top and bottom. Non-zero on success.
int ImgMirror(HIMG h, int horizontal, int vertical);
// value = gamma setting / 10 (10 is neutral; 12 brightens as gamma 1.2).
int ImgGamma(HIMG h, double value);

// The clipboard goes through the platform layer; the program installs the sink.
void SetImgClipboardSink(std::function<bool(const Dib&)> sink);
int ImgToClipboard(HIMG h);

int ImgGetStatus();
std::string ImgStatusText();
// Shows the last error as an error box through the platform Ui (the window is not needed).
void ImgErrBox(void* window = nullptr);

// Scanning goes through the platform's scanner interface, installed by the program.
struct ImgScanner {
  std::function<bool()> available;
  std::function<int()> selectSource;          // 1 when a source was chosen
  std::function<std::vector<std::uint8_t>()> acquirePage;  // packed DIB, empty for none
};
void SetImgScanner(ImgScanner scanner);
bool ScanIsTWAINAvailable();
int ScanSelectSource(void* window);
std::vector<std::uint8_t> ScanAcquirePage(void* window, int flags = 0);

}  // namespace pelira
