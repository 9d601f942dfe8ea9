#include "edit/save_as.h"

#include <system_error>

#include "common/atomic_file.h"
#include "common/kind_list.h"
#include "common/request_flags.h"
#include "common/version.h"
#include "image/bmp_graphic.h"
#include "image/color_depth.h"
#include "image/picture_file.h"
#include "image/jpeg_image.h"
#include "imaging_library/image_ops.h"
#include "engine/spatial_filters.h"
#include "edit/undo_store.h"

namespace pelira {

namespace fs = std::filesystem;

namespace {

const SaveTypeInfo kSaveTypes[kSaveTypeCount] = {
    {1, "BMP (Windows Bitmap)", "bmp"},          {2, "PCX (Zsoft Paintbrush)", "pcx"},
    {3, "PNG (Portable Network Graphics)", "png"}, {4, "JPG (JPEG 8-bit gray)", "jpg"},
    {5, "JPG (JPEG 24-bit color)", "jpg"},       {6, "TGA (Uncompressed Targa)", "tga"},
    {7, "TIF (Uncompressed TIFF)", "tif"},       {8, "TIF (Deflated TIFF)", "tif"},
    {9, "TIF (Deflated Adobe TIFF)", "tif"},     {10, "TIF (Fax-Group3 TIFF)", "tif"},
    {11, "TIF (Fax-Group4 TIFF)", "tif"},        {12, "TIF (Packbits TIFF)", "tif"},
};

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

bool IsFolder(const std::string& p) {
  std::error_code ec;
  return !p.empty() && fs::is_directory(fs::path(p), ec);
}

}  // namespace

const SaveTypeInfo& SaveTypeOf(int index) {
  return index >= 1 && index <= kSaveTypeCount ? kSaveTypes[index - 1] : kSaveTypes[kDefaultSaveType - 1];
}

int SaveTypesOffered(int imageBits) { return imageBits == 1 ? 12 : 9; }

std::string SaveDialogFilter(int imageBits) {
  std::string f;
  for (int i = 1; i <= SaveTypesOffered(imageBits); ++i) {
    const SaveTypeInfo& t = SaveTypeOf(i);
    if (!f.empty()) f += '|';
    f += std::string(t.filter) + "|*." + t.extension;
  }
  return f;
}

bool IsJpegSaveType(int type) { return type == 4 || type == 5; }
bool ProgressiveApplies(int type) { return type >= 3 && type <= 5; }

std::string CompleteSaveName(const std::string& typed, const std::string& ext) {
  const fs::path p(typed);
  const std::string have = p.extension().string();
  if (Lower(have) == "." + Lower(ext)) return typed;
  // "photo." has the extension "." : the dot goes with it.
  std::string stem = typed.substr(0, typed.size() - have.size());
  return stem + "." + ext;
}

std::string ProposedSaveName(const std::string& currentFile, const std::string& batchSuffix) {
  return fs::path(currentFile).stem().string() + batchSuffix;
}

std::string InitialSaveFolder(const std::string& saveDir, const std::string& pathBoxText, const std::string& fallback) {
  std::string folder;
  if (IsFolder(saveDir)) folder = saveDir;
  else if (!pathBoxText.empty() && IsFolder(fs::path(pathBoxText).parent_path().string()))
    folder = fs::path(pathBoxText).parent_path().string();
  else folder = fallback;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string OverwriteQuestion(const std::string& path) {
  return fs::path(path).filename().string() + kOverwriteSuffix;
}

std::string WriteFailureText(int type, const std::string& path, const std::string& cause) {
  return std::string(kProductTitle) + " Write failure." + "\nSave Format=" + std::to_string(type) + "\n" + path +
         (cause.empty() ? "" : "\n" + cause);
}

std::string DiskSpaceText(std::uint64_t required, std::uint64_t available) {
  return "Insufficient disk space.\nReq.: " + std::to_string(required / 1024) + " Kb\nFree: " +
         std::to_string(available / 1024) + " Kb\n\nSave operation failed.";
}

std::optional<std::uint64_t> AvailableBytes(const fs::path& path) {
  std::error_code ec;
  fs::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  const fs::space_info s = fs::space(dir, ec);
  if (ec || s.available == static_cast<std::uintmax_t>(-1)) return std::nullopt;
  return static_cast<std::uint64_t>(s.available);
}

std::vector<std::uint8_t> EncodeForSave(const Dib& picture, int type, const SaveOptions& options) {
  if (type == 1) return SaveWorkingBitmapBmp(picture);
  const SaveWriter w = SaveWriterFor(type);
  if (!w) throw std::runtime_error(std::string(SaveTypeOf(type).filter) + " cannot be written in this build");
  if (type == 6 && picture.BitCount() < 8) return w(Promote(picture, 8), options);
  return w(picture, options);
}

SaveOutcome SavePicture(PictureState& state, Dib& picture, const SaveRequest& r, Ui& ui, const SavedHook& saved,
                        const FreeSpaceFn& freeSpace) {
  const std::uint64_t required = RawPictureSize(picture.Width(), picture.Height(), picture.BitCount());
  if (freeSpace) {
    const std::optional<std::uint64_t> available = freeSpace(fs::path(r.path));
    if (available && *available < required) {
      ui.Message(MessageKind::Warning, DiskSpaceText(required, *available), Button::OK);
      Flags().AbortRequest = true;
      return SaveOutcome::NoSpace;
    }
  }
  // BMP and TIFF stream from the picture into the file; a target without write permission is
  // replaced only after the user said to overwrite it.
  const WriteResult written =
      SavePictureFile(fs::path(r.path), picture, r.type, r.options, AtomicWriteOptions{.replaceReadOnly = r.overwriteConfirmed});
  if (!written) {
    ui.Message(MessageKind::Error, WriteFailureText(r.type, r.path, written.cause), Button::OK);
    return SaveOutcome::WriteFailed;
  }
  if (!r.batch) {
    state.CurrentFile = r.path;
    state.CurrentExt = UpperExt(r.path);
    if (saved) saved(r.path);
  }
  state.ImageModified = false;
  return SaveOutcome::Saved;
}

std::vector<std::uint8_t> EncodeWizardJpeg(const Dib& picture, const TJpegWizardSettings& s) {
  TJPEGImage jpeg;
  if (s.strength != 0 && s.method != TJpegSmoothingMethod::Standard) {
    Dib filtered = picture;
    if (s.method == TJpegSmoothingMethod::Parametric) DeFocus(filtered, 255 - s.strength);
    else SharpGaussianBlur5x5(filtered, 255, s.strength);
    jpeg.Assign(filtered);
  } else {
    jpeg.Assign(picture);
  }
  jpeg.ProgressiveEncoding = s.progressive;
  const int smoothing = s.method == TJpegSmoothingMethod::Standard ? s.strength : 0;
  jpeg.Compress(s.subsample, true, smoothing, s.scale, true);
  std::vector<std::uint8_t> out;
  jpeg.SaveToStream(out);
  return out;
}

WriteResult SaveWizardJpeg(const Dib& picture, const TJpegWizardSettings& settings, const std::string& path) {
  try {
    // The whole picture, never a preview's window.
    const auto bytes = EncodeWizardJpeg(picture.BitCount() == 24 ? picture : ToTrueColor(picture), settings);
    return AtomicWrite(path, bytes.data(), bytes.size());
  } catch (const std::exception& e) {
    return WriteResult{false, e.what()};
  }
}

}  // namespace pelira
