#pragma once
// Reading the text a JPEG carries: the EXIF report and the comment segments. This is what
// the "JPEG Text" window shows, what the viewer's information box collects and what
// `pelira-cli exif` and `pelira-cli comment` print. Only the head of the file, up to its first
// scan, is needed.
#include <filesystem>
#include <string>
#include <vector>

#include "jpeg_tools/jpeg_segments.h"

namespace pelira {

inline constexpr const char* kJpegTextKinds = ".JPEG.JPG";
inline constexpr const char* kMacHeaderWarning = "Warning: Mac header found!";

struct JpegTextReport {
  bool ok = true;           // false: error says why (kBadJpegMarkersText for broken structure)
  std::string error;
  bool macHeader = false;   // a foreign header was skipped
  bool exifFound = false;
  bool commentFound = false;
  bool cut = false;         // the EXIF report reached its size bound
  std::vector<std::string> exifLines;
  std::vector<std::string> commentLines;

  bool Found() const { return ok && (exifFound || commentFound); }
  // The EXIF lines, then the comments' lines: the collected lines of the information box.
  std::vector<std::string> CollectedLines() const;
  // The text box: an empty line, the Mac header warning and an empty line when a foreign
  // header was skipped, then the collected lines.
  std::vector<std::string> TextBoxLines() const;
};

// The report of a file's bytes. The first EXIF segment is reported; every comment segment
// before the first scan is read, whether it stands before or after the EXIF segment.
JpegTextReport ReadJpegTextBytes(JpegBytes fileBytes);

// The same for a file, reading only as much of it as the head needs.
JpegTextReport ReadJpegTextFile(const std::filesystem::path& path);

// True when fileName names a JPEG by its extension (".JPEG.JPG").
bool JpegTextKind(const std::filesystem::path& fileName);

// Reads fileName into *report and answers whether EXIF data or a comment was found. Files of
// other extensions answer false at once and leave *report empty.
bool ReadJpegText(const std::filesystem::path& fileName, JpegTextReport* report);

// The window's information label: "Size: " N " bytes", a line break, "Date: " and the file's
// modification time (local, "YYYY-MM-DD hh:mm:ss"), then "View: " + view when view is not
// empty. "" when the file cannot be examined.
std::string JpegInfoLabel(const std::filesystem::path& file, const std::string& view = {});

// Whole file; false and a message naming the file when it cannot be read.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>* bytes, std::string* error);

}  // namespace pelira
