#pragma once
// The album window's commands over an AlbumStore, with no window: cut, relocate, select, CD
// tracks, the property commands, deleting, moving and copying source files.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "album/album_store.h"

namespace pelira {

class Progress;
class Shell;
class VolumeSource;

inline constexpr const char* kNoSelectionText = "No slide(s) selected.";

// Removes the selected slides from the display order (their records stay); the selection is
// cleared. Answers how many went.
std::size_t CutSelected(AlbumStore& store, Progress* progress = nullptr);

// Moves the selection to target (0 .. count-1): one slide to the target (target-1 when it
// came from above), several as one block before the first unselected slide at or past the
// target; the moved slides stay selected. False when nothing is selected.
bool RelocateSelected(AlbumStore& store, std::size_t target);

// Select all (nothing for fewer than 2 slides) and invert, with "Selecting ..." progress.
void SelectAll(AlbumStore& store, Progress* progress = nullptr);
void InvertSelection(AlbumStore& store, Progress* progress = nullptr);
// Selects only slide index (1-based); false outside 1..count.
bool SelectIndex(AlbumStore& store, std::size_t index);

// Inserts CD track (1..99) before the first selected slide, or at 0. False on an empty album.
bool InsertCdTrack(AlbumStore& store, int track);
// "CD Track " + n.
std::string CdTrackName(int track);

enum class SlideProperty { Background, Effect, Wait, Zoom, Gamma, Rotate, Position, Panel, Comment };

// The numbers a property command stores: Background a = 0x00BBGGRR or -2 (cleared);
// Position a,b = x,y (either negative: automatic; reset: -2,-2); Panel a,b = w,h; others a.
struct PropertyValue {
  std::int32_t a = 0;
  std::int32_t b = 0;
  std::string text;  // Comment
};

struct ScreenSize {
  int width = 0;
  int height = 0;
};

struct PropertyOutcome {
  bool ran = false;        // false: nothing selected (message says so) or busy
  std::string message;
  std::size_t changed = 0;
};

// Applies the property to the selected slides: one slide whose field is "not applicable" is
// left alone; with several, every slide whose field applies (the wait always). CD tracks keep
// their track number. Values are clamped to the command's range.
PropertyOutcome ApplyProperty(AlbumStore& store, SlideProperty property, const PropertyValue& value,
                              ScreenSize screen = {}, Progress* progress = nullptr);
// Whether the pop-up offers the property for one slide of that kind.
bool PropertyAvailable(SlideKind kind, SlideProperty property);

// Value ranges of the property dialogs.
struct PropertyRange {
  int min, max, initial, large, small;
};
PropertyRange RangeOf(SlideProperty property);
inline constexpr std::size_t kCommentMaxChars = 255;
// The comment as stored: line breaks and tabs made blanks, cut to 255 characters.
std::string CommentForStore(const std::string& text);

// --- source files --------------------------------------------------------------------------

struct FileOpOutcome {
  std::size_t done = 0;
  std::vector<std::string> failures;  // one line per file that could not be handled
  bool stopped = false;
};

// The question before Delete: "Recycle ..." (or "Delete ..." with permanent).
std::string DeleteQuestion(const AlbumStore& store, bool permanent);
inline constexpr const char* kDeleteIgnoreKey = "album.recycle";
// Recycles (or removes) the selected slides' files; only the slides whose files went leave
// the display order. CD tracks and slides without a real path are skipped.
FileOpOutcome DeleteSourceFiles(AlbumStore& store, bool permanent, Shell& shell);

// The folder chooser's title: "Move" / "Copy" + the slide's caption or count.
std::string MoveCopyTitle(const AlbumStore& store, bool move);
std::string SourceMissingText(const std::string& path);
// Copies or moves the selected slides' files into folder, never replacing a file. A missing
// source asks askContinue(path) (false stops collecting). Moved slides point at the folder
// (thumbnail pending, its names cleared); copies leave the album as it is.
FileOpOutcome CopyMoveSlides(AlbumStore& store, const std::string& folder, bool move, VolumeSource* volumes,
                             const std::function<bool(const std::string& path)>& askContinue);

// --- texts ---------------------------------------------------------------------------------

inline constexpr int kColumnCount = 15;
enum Column {
  kColFilename, kColBackcolor, kColEffect, kColWait, kColZoom, kColGamma, kColRotate, kColPosition,
  kColPanel, kColComment, kColCrc, kColUserIdx, kColImage, kColExtraIdx, kColCategory
};
const char* ColumnCaption(int column);
std::string CellText(const AlbumStore& store, std::size_t pos, int column);
// The name a slide is shown by: its file name without extension, "CD Track n" for tracks.
std::string SlideCaption(const AlbumStore& store, const SlideRecord& r);

// Status bar panels (one text when no or several slides are selected, four for one).
std::vector<std::string> StatusTexts(const AlbumStore& store);
// "yyyy-mm-dd hh:mm:ss" of a packed date and milliseconds of the day.
std::string SlideDateText(std::uint32_t dosDate, std::int32_t timeOfDay);

// The properties box of one slide: effect label, comment label and the nine item texts.
struct PropertyBoxTexts {
  std::string effect;
  std::string comment;
  std::vector<std::string> items;
};
using EffectNameFn = std::function<std::string(int effect)>;
PropertyBoxTexts PropertyTexts(const AlbumStore& store, const SlideRecord& r, const EffectNameFn& effectName);
extern const char* const kPropertyItemTips[9];

// --- window settings -----------------------------------------------------------------------

inline constexpr std::size_t kAlbumSettingsSize = 88;
struct AlbumWindowSettings {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // signed: screens left of 0
  bool toolBar = true, statusBar = true, propertiesBox = true, buttonText = true;
  bool albumMode = false;
  std::uint8_t view = 0;       // 0 details, 1 icons
  std::uint8_t columnSet = 0;  // 0 all, 1 slide properties, 2 image properties
  std::uint8_t thumbStep = 4;  // 1..8
  std::int16_t columnWidths[kColumnCount] = {};
  std::int16_t boxWidth = 0;
  bool stored = false;  // false: the defaults (no value or a value of another length)
};
std::string EncodeAlbumSettings(const AlbumWindowSettings& s);
AlbumWindowSettings DecodeAlbumSettings(const std::string& bytes, int screenWidth);

}  // namespace pelira
