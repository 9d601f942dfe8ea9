#pragma once
// The viewer's open flow in core: what an extension is, how a load changes the view state,
// the blank picture, and the open dialog's filter list. The window runs the dialog, hands the
// chosen file here and shows the result.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "image/dib.h"
#include "image/kinds.h"
#include "viewer/view_state.h"


namespace pelira {

// Extensions accepted by drag and drop and by the path box: pictures, media and ".AVL".
std::string DropExtensions();

enum class OpenKind {
  Raster,     // a picture for the loading pipeline
  Media,      // audio or video
  Text,       // ".RTF", ".TXT": shown as a picture of the text
  Metafile,   // ".WMF", ".EMF"
  Slideshow,  // ".AVL"
  Unknown,    // no list holds the extension
};

// The open dispatch by extension (substring rule of the kind lists).
OpenKind ClassifyOpen(const std::string& upperExt);

// What the viewer asks of a load.
struct LoadRequest {
  bool fitMode = false;
  bool halfJpeg = false;
  bool autoReduce = false;
  std::int32_t clientWidth = 0;   // the viewport, for scaled JPEG decodes
  std::int32_t viewportHeight = 0;
  std::uint32_t backgroundColor = 0;  // platform colour, for transparency and metafiles
  std::int32_t screenWidth = 0;
  std::int32_t screenHeight = 0;
  AspectModes aspect = AspectModes::OneToOne;
  bool resampleOnLoad = false;        // resampled to the client area (Best fit, 4:3, 16:9)
  std::int32_t screenGamma = 100;     // View › Gamma, x 100; 100 is neutral
  std::int32_t pageIndex = 0;         // 0-based page of a multipage document
  bool pageChange = false;            // another page of the document already open: not reopened
};

struct LoadedPicture {
  Dib bitmap;
  int pageCount = 1;
  std::int32_t sourceWidth = 0;   // the file's size when decoded reduced or resampled
  std::int32_t sourceHeight = 0;
  int reducedScale = 1;
  bool untitled = false;          // a text page or metafile drawn as a picture: no file name
  std::string statusText;         // the load's status ("Loaded 0.4s", "Page 1 of 3"), or ""
  std::string error;              // why the load failed, when the user should be told
  std::string reason;             // why the load failed, in the loader's words, for the status
};

// Fills `out` from the file; false when it cannot be shown. Decoder errors that the
// application's handler reports may be thrown.
using PictureLoader = std::function<bool(const std::string& path, const LoadRequest&, LoadedPicture& out)>;

// The kinds the loader draws as pictures: raster files, text pages and metafiles.
bool LoadsAsPicture(OpenKind kind);

// Loads path as the current file. On success the state describes the new picture (zoom
// untouched), ImageLoaded and not modified; the status word is the load's own text or
// "Ready."; a text page or metafile is "Untitled". On failure, or when the loader throws, the
// previous file and depth come back and ImageLoaded is cleared (the exception is passed on).
// Media files and scripts load nothing.
OpenKind LoadIntoState(ViewState& s, const std::string& path, const PictureLoader& loader,
                       const LoadRequest& request, LoadedPicture& out);

// A picture the load decoded reduced only because of the window (not Half JPEG, not a
// resampling aspect) and not yet changed: an edit or a save must first decode it in full.
bool NeedsFullDecode(const ViewState& s);

// The open dialog's filters as description and patterns; empty patterns are dropped.
std::vector<std::pair<std::string, std::vector<std::string>>> OpenDialogFilters();

// The filter list, "description|patterns|...". Two patterns that ran together are mended:
// "*.aif;*.aif?" (was "*.aif*.aif?") and "*.rmi" (was "*rmi").
extern const char* const kOpenDialogFilter;

}  // namespace pelira
