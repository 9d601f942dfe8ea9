#pragma once
// Where a file's thumbnail lives in the cache: names computed from the file's identity, so the
// album, the explorer and the command line find the same thumbnail without sharing state.
//
//   <data>/pl00F846.thd/             the cache root ("pl" + the stored BMP's byte size in hex)
//   <data>/pl00F846.thd/2D00D7BC/    one subfolder per directory (CRC register of its identity)
//   .../2D00D7BC/ADBB0502.02B        one file per picture identity
//   <data>/pl00F846.thd/WAV          one shared thumbnail per other kind, by extension
//
// Paths keep their case in the identity texts: two files that differ only in case are two
// pictures here.
#include <cstdint>
#include <string>
#include <string_view>

namespace pelira {

inline constexpr int kThumbWidth = 168;
inline constexpr int kThumbHeight = 126;
// The picture is fitted into the stored size less a 1-pixel white margin.
inline constexpr int kThumbFitWidth = kThumbWidth - 2;
inline constexpr int kThumbFitHeight = kThumbHeight - 2;
// Bytes of a stored thumbnail: file header, info header, 126 rows of 504 bytes.
inline constexpr std::uint32_t kThumbFileBytes = 14 + 40 + kThumbWidth * 3 * kThumbHeight;

// Shared thumbnails in the cache root that stand for no extension.
inline constexpr std::string_view kCdTrackThumb = "CDA";
inline constexpr std::string_view kGenericIconThumb = "00000002";
inline constexpr std::string_view kProgramIconThumb = "00000003";
inline constexpr std::string_view kFailedThumb = "00000004";

// The kinds whose thumbnails are made per file; every other kind shares one per extension.
inline constexpr std::string_view kPerFileThumbKinds =
    ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.GIF.LNK.EXE.ICO.CUR";
// The kinds drawn from their pixels (the rest of the per-file kinds get their icon).
inline constexpr std::string_view kPictureThumbKinds = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.GIF";

// What names a picture: the values an album record holds for it.
struct ThumbIdentity {
  std::string volume;     // volume id of the file's folder ("" when unknown)
  std::string path;       // full path, as it is spelled on disk
  std::int32_t size = 0;  // low 32 bits of the size, as the record stores it
  std::int32_t date = 0;  // packed date-time
  std::int32_t timeOfDay = 0;  // ms since midnight
};

// "pl00F846.thd".
std::string CacheRootName();

// volume CRLF path CRLF size CRLF date CRLF time CRLF: the text the file name hashes.
std::string IdentityText(const ThumbIdentity& id);
// "ADBB0502.02B" (CRC register, "." and the text's length in base 32), or for a text of
// 32768 bytes or more the length as 8 hex digits followed by the CRC digits.
std::string ThumbFileName(const ThumbIdentity& id);
// The subfolder of a directory (dir with its trailing '/'): CRC register of volume CRLF dir CRLF.
std::string ThumbSubfolderName(std::string_view volume, std::string_view dir);

// The only shapes a name read from outside (an album's side file) may take before it is
// joined to the cache root; anything else is computed again.
bool IsThumbFileName(std::string_view name);
bool IsThumbSubfolderName(std::string_view name);

// The shared thumbnail of a kind that has no per-file thumbnail: the extension without its
// dot ("WAV"). CD tracks get "CDA"; an extension that is not plain letters and digits, or
// that could be taken for a subfolder or a placeholder, gets the generic icon.
std::string SharedThumbName(std::string_view upperExt, bool cdTrack = false);

// True when the kind is made per file (substring test, as every kind list).
bool HasPerFileThumb(std::string_view upperExt);

}  // namespace pelira
