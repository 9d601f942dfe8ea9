#pragma once
// "&Save as" in core: the dialog's file types, name completion, the free-space check, and the
// save itself. The working picture is never changed by a save: every conversion a writer
// needs (8 bits for Targa, grays for the gray JPEG) works on a copy.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "image/codec_registry.h"
#include "common/atomic_file.h"
#include "image/dib.h"
#include "image/jpeg_wizard_settings.h"
#include "platform/ui.h"
#include "edit/picture_state.h"

namespace pelira {

struct SaveTypeInfo {
  int index;              // 1..12, the dialog's type index
  const char* filter;     // "PNG (Portable Network Graphics)"
  const char* extension;  // "png"
};
inline constexpr int kSaveTypeCount = 12;
inline constexpr int kDefaultSaveType = 3;
inline constexpr int kDefaultCompression = 50;
// Type 1..12; anything else gives type 3.
const SaveTypeInfo& SaveTypeOf(int index);
// Types offered for a picture: 12 for 1-bit pictures (the fax and PackBits TIFFs), else 9.
int SaveTypesOffered(int imageBits);
// The dialog's filter list "BMP (Windows Bitmap)|*.bmp|..." for the offered types.
std::string SaveDialogFilter(int imageBits);
bool IsJpegSaveType(int type);
bool ProgressiveApplies(int type);

// The typed name completed with the type's extension: kept when it already ends in
// "." + extension (any case), else its extension (if any) is replaced.
std::string CompleteSaveName(const std::string& typed, const std::string& defaultExtension);
// The file name of currentFile without its extension, plus the batch suffix.
std::string ProposedSaveName(const std::string& currentFile, const std::string& batchSuffix = "");
// The save folder when it exists, else the path box's folder when it exists, else fallback.
std::string InitialSaveFolder(const std::string& saveDir, const std::string& pathBoxText, const std::string& fallback);

inline constexpr const char* kOverwriteSuffix = " exists.\nOverwrite?";
std::string OverwriteQuestion(const std::string& path);
inline constexpr const char* kTiffAdobeWarning =
    "This TIFF deflate format should be used to export\nimages to Adobe PhotoShop and ImageReady.\n\nMany apps "
    "will NOT read this TIFF variant.\n\n[Ignore] avoids this dialog (for experts).";
// The cause (no space left, read-only file system, ...) follows on its own line when known.
std::string WriteFailureText(int type, const std::string& path, const std::string& cause = "");
std::string DiskSpaceText(std::uint64_t required, std::uint64_t available);

// Bytes available to the user on path's file system; none when it cannot be told.
using FreeSpaceFn = std::function<std::optional<std::uint64_t>(const std::filesystem::path& path)>;
std::optional<std::uint64_t> AvailableBytes(const std::filesystem::path& path);

// The file's bytes for a save type. Throws with the writer's message when the picture cannot
// be written in that type (a fax TIFF of a colour picture, say).
std::vector<std::uint8_t> EncodeForSave(const Dib& picture, int type, const SaveOptions& options);

struct SaveRequest {
  std::string path;
  int type = kDefaultSaveType;
  SaveOptions options;
  bool batch = false;  // a script's SAVE: the current file and bookmarks stay
  bool overwriteConfirmed = false;  // the user said Yes to "Overwrite?": a read-only file is replaced
};
enum class SaveOutcome { Saved, NoSpace, WriteFailed };

// Steps after the dialog: the free-space check, the atomic write, then the state. Only a
// successful write clears ImageModified and (outside batch mode) makes path the current file. A failure shows its box through ui and leaves file, state and list as they were.
// `saved` hears the new current file (the viewer files it in its bookmark history).
using SavedHook = std::function<void(const std::string& path)>;
// The picture is lent to the TIFF writer while it writes and is the same afterwards.
SaveOutcome SavePicture(PictureState& state, Dib& picture, const SaveRequest& request, Ui& ui,
                        const SavedHook& saved = {}, const FreeSpaceFn& freeSpace = AvailableBytes);

// The JPEG wizard's encode of a bitmap: the library's own smoothing for "Standard"; the other
// methods filter a copy before the encode and pass no smoothing.
std::vector<std::uint8_t> EncodeWizardJpeg(const Dib& picture, const TJpegWizardSettings& settings);
// The wizard's Save As: the whole picture (in true colour) encoded with its settings and
// written atomically to path. The failure's message comes back in the result.
WriteResult SaveWizardJpeg(const Dib& picture, const TJpegWizardSettings& settings, const std::string& path);

}  // namespace pelira
