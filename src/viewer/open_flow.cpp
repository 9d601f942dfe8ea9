#include "viewer/open_flow.h"

#include <algorithm>
#include <filesystem>

#include "common/kind_list.h"
#include "image/palette.h"
#include "viewer/status_text.h"

namespace pelira {

const char* const kOpenDialogFilter =
    "All validated formats|*.jp?;*.jpeg;*.png;*.bmp;*.dib;*.?cx;*.pcd;*.tif;*.tga;*.mid;*.rmi;*.wav;*.wm?;*.avi;"
    "*.mp?;*.m1v;*.mpeg;*.qt;*.mov;*.aif;*.aif?;*.rmi;*.au;*.snd;*.ra;*.rm;*.rtf;*.avl;*.txt;*.wmf;*.emf;*.psd;"
    "*.asf;*.gif"
    "|All Windows multimedia|*.rmi;*.mid;*.wav;*.wm?;*.asf;*.avi;*.mp?;*.m1v;*.mpeg;*.qt;*.mov;*.aif;*.aif?;*.rmi;"
    "*.au;*.snd;*.ra;*.rm"
    "|AVL (AV List Slideshow)|*.avl|BMP (Windows Bitmaps)|*.bmp;*.dib|GIF (Graphics Interchange Format)|*.gif"
    "|JPG (JPEG/JFIF)|*.jp?;*.jpeg|PCD (Kodak Photo-CD)|*.pcd;|PCX (ZSoft)|*.pcx"
    "|PNG (Portable Network Graphics)|*.png|PSD (Photoshop)|*.psd|RTF (Rich Text)|*.rtf|Text (ASCII)|*.txt"
    "|TGA (Truevision Targa)|*.tga|TIF (Aldus TIFF)|*.tif|VideoCD (MPEG-1)|*.dat;*.m1v;*.mpg;*.mpe;*.mpeg"
    "|WMF (Windows Metafile)|*.wmf;*.emf|All files (no validation)|*.*";

std::string DropExtensions() { return std::string(kPictureList) + kMediaList + ".AVL"; }

OpenKind ClassifyOpen(const std::string& upperExt) {
  if (InKindList(upperExt, kTextList)) return OpenKind::Text;
  if (InKindList(upperExt, kMetafileList)) return OpenKind::Metafile;
  if (upperExt == ".AVL") return OpenKind::Slideshow;
  if (!InKindList(upperExt, kProbeList)) return OpenKind::Unknown;
  if (InKindList(upperExt, kMediaList)) return OpenKind::Media;
  return OpenKind::Raster;
}

bool LoadsAsPicture(OpenKind kind) {
  return kind == OpenKind::Raster || kind == OpenKind::Text || kind == OpenKind::Metafile;
}

OpenKind LoadIntoState(ViewState& s, const std::string& path, const PictureLoader& loader,
                       const LoadRequest& request, LoadedPicture& out) {
  const std::string previousFile = s.CurrentFile;
  const std::string previousExt = s.CurrentExt;
  const std::int16_t previousBits = s.ImageBits;
  auto fail = [&] {
    s.CurrentFile = previousFile;
    s.CurrentExt = previousExt;
    s.ImageBits = previousBits;
    s.ImageLoaded = false;
  };
  s.CurrentFile = path;
  s.CurrentExt = UpperExt(path);
  const OpenKind kind = ClassifyOpen(s.CurrentExt);
  if (!LoadsAsPicture(kind)) {
    fail();
    return kind;
  }
  s.StatusWord = kStatusLoading;
  bool ok = false;
  try {
    ok = loader && loader(path, request, out) && !out.bitmap.Empty();
  } catch (...) {
    fail();
    throw;
  }
  if (!ok) {
    fail();
    return kind;
  }
  SyncImageState(s, out.bitmap);
  s.PageCount = out.pageCount;
  s.PageIndex = out.pageCount >= 2 ? std::clamp(request.pageIndex, 0, out.pageCount - 1) : 0;
  s.ReducedScale = out.reducedScale;
  s.SourceWidth = out.sourceWidth > 0 ? out.sourceWidth : s.ImageWidth;
  s.SourceHeight = out.sourceHeight > 0 ? out.sourceHeight : s.ImageHeight;
  if (out.untitled) {
    s.CurrentFile = kUntitled;
    s.CurrentExt.clear();
  }
  s.ImageLoaded = true;
  s.ImageModified = false;
  s.StatusWord = out.statusText.empty() ? std::string(kStatusReady) : out.statusText;
  if (s.PageCount >= 2) s.StatusWord = PageStatusText(s.PageIndex, s.PageCount);
  return kind;
}

std::vector<std::pair<std::string, std::vector<std::string>>> OpenDialogFilters() {
  std::vector<std::string> parts;
  std::string text = kOpenDialogFilter;
  std::size_t start = 0;
  while (true) {
    const std::size_t bar = text.find('|', start);
    parts.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  std::vector<std::pair<std::string, std::vector<std::string>>> filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::vector<std::string> patterns;
    std::size_t from = 0;
    const std::string& list = parts[i + 1];
    while (from <= list.size()) {
      const std::size_t semi = list.find(';', from);
      std::string p = list.substr(from, semi == std::string::npos ? std::string::npos : semi - from);
      if (!p.empty()) patterns.push_back(p);
      if (semi == std::string::npos) break;
      from = semi + 1;
    }
    filters.emplace_back(parts[i], std::move(patterns));
  }
  return filters;
}

bool NeedsFullDecode(const ViewState& s) {
  return s.ImageLoaded && !s.ImageModified && s.ReducedScale > 1 && !s.HalfJpeg && !s.ResampleOnLoad &&
         s.CurrentFile != kUntitled;
}

}  // namespace pelira
