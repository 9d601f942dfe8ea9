#pragma once
// The reader of AVL slideshow scripts, shared by the album and the slideshow player: the
// header, the directory lines and one slide section at a time. It works on string_views over
// the caller's buffer (which must outlive the reader), never reads past it, and puts no
// limit on a section's length.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelira {

inline constexpr const char* kBadAvlText = "Bad AVL file.";
// Scripts past this size are refused as bad rather than read into memory.
inline constexpr std::uint64_t kAvlMaxBytes = std::uint64_t(1) << 30;

// Side-file keys in header order and the suffixes their files carry.
inline constexpr int kSideFileCount = 5;
inline constexpr const char* kSideKeys[kSideFileCount] = {"@N", "@V", "@R", "@D", "@C"};
inline constexpr const char* kSideSuffixes[kSideFileCount] = {"._n_", "._v_", "._r_", "._d_", "._c_"};
enum SideFile { kSideNames, kSideVolumes, kSideDirs, kSideRecords, kSideComments };

struct AvlHeader {
  std::int64_t n = 0;           // N as written (slides + 1), parsed in 64 bits
  std::int64_t slideCount = 0;  // max(0, N - 1)
  std::string sidePaths[kSideFileCount];
  std::int64_t run = 1;         // start slide
  std::string thmrec;
  // "SIG": the CRC register of the five side files as saved with this album file, so a
  // save cut short between the side files and the album file is noticed on loading.
  std::string signature;
  std::vector<std::string> directories;  // escapes undone; "" became "c:\"
  std::vector<std::string> rawDirectories;  // as written (a "?" may be a real one)
  bool directoriesInSequence = true;     // false: a line numbered out of sequence (bad file)
  bool AllSidePaths() const;
};

// One slide section's values as read, before they become a record.
struct AvlSlide {
  bool found = false;   // the section had the slide's "[i]" line
  bool cdTrack = false;  // F without a comma
  std::string rawName;   // F's text before the first comma, as written
  std::string name;      // unescaped, ".JPG" added when it has no extension
  std::int64_t dirIndex = 0;
  bool dirIndexOk = true;  // a number (or empty)
  std::int32_t background = -2;
  std::int32_t effect = 0;
  std::int32_t track = 0;  // X; 1 for a CD track without it
  std::int16_t wait = 0;
  std::int16_t zoom = 100;
  std::int16_t gamma = 100;
  std::int16_t rotate = 0;
  std::int16_t posX = -1, posY = -1;
  std::int16_t panelW = 0, panelH = 0;
  std::string comment;  // unescaped
};

// "," "[" "]" written as "?" "<" ">", and back.
std::string AvlEscape(std::string_view s);
std::string AvlUnescape(std::string_view s);
bool AvlNeedsEscape(std::string_view s);

class AvlScript {
 public:
  // Reads the header part (everything before the first "[1]"); nothing when there is no
  // "[1]", which the callers report as kBadAvlText.
  static std::optional<AvlScript> Open(std::string_view bytes);

  const AvlHeader& Header() const { return header_; }
  // Reads the next section as slide i (1-based) and moves past it. False at the end of the file.
  bool NextSection(std::int64_t i, AvlSlide& out);
  // Whether another section starts at the read position.
  bool AtEnd() const { return pos_ >= bytes_.size(); }

  // The header of any album file (also an AVC, which has no "[1]").
  static AvlHeader ParseHeader(std::string_view headerPart);

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
  AvlHeader header_;
};

// A slide's file as the script may mean it, most likely first: the written text with its
// escapes undone, then the literal text ("?" "<" ">" are legal in names here), each in the
// unescaped and in the literal directory. Only absolute folders and one-component names
// count; a CD track or a bad directory index gives none. The first that exists is the file.
struct AvlCandidate {
  std::size_t dirVariant;  // 0: directories[i], 1: rawDirectories[i]
  std::string dir;
  std::string name;
};
std::vector<AvlCandidate> AvlCandidatePaths(const AvlHeader& header, const AvlSlide& slide);

// One line of a text file as UTF-8: valid UTF-8 stays, anything else is read as CP1252, so
// one odd line does not garble the others.
std::string DecodeLine(std::string_view line);

}  // namespace pelira
