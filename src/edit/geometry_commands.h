#pragma once
// The viewer's geometry and selection commands: crop, copy and trim to the selection, Mask,
// Select all and Grid, resize by interpolation and Auto Resize, rotate, mirror, border and
// text mark. Core, like the tone and filter commands: the window lends the picture (EditHost)
// and its dialogs, clipboard and selection display (GeometryHost).
//
// The selection is kept in picture pixels, right and bottom one past the last
// (PictureState::SelectionRect); the dialogs show left, top, width and height; the window
// turns the mouse's frame into picture pixels once, when the drag ends.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "edit/edit_host.h"
#include "edit/picture_state.h"
#include "engine/engine_state.h"
#include "engine/filter_request.h"
#include "engine/geometry.h"

namespace pelira {

class ToneCommands;
struct EditSession;

enum class GeometryCommand {
  Crop, CopySelection, Trim, Mask, SelectAll, Grid,
  ResizeInterpolate, AutoResize,
  Rotate90, Rotate270, RotateNormal, RotateFine, MirrorVertical, MirrorHorizontal,
  Border, BorderTopBot,
  TextMarkTopLeft, TextMarkTopRight, TextMarkBottomLeft, TextMarkBottomRight, TextMarkProperties, TextMarkOutline,
  CopyGrid,
};

inline constexpr const char* kClipboardFailedText = "Image may be too large for clipboard.\nFunction aborted.";
inline constexpr const char* kRotateFailedText = "Not enough memory to rotate the picture.";
inline constexpr const char* kGridTooSmallText = "64x64 image (minimum) required to use this feature.";
inline constexpr const char* kTextMarkTitle = "Enter notice or copyright text.";
inline constexpr const char* kTextMarkLabel = "e.g., Vacation in Hawaii @@D";

struct SizeAnswer {
  int width = 0, height = 0;
  int copyOperation = 0;  // 0 Normal, 1 Preserve Black, 2 Preserve White
};
struct BorderAnswer {
  int width = 1, height = 1;
  std::uint32_t platformColor = 0;  // 0x00BBGGRR
};
struct GridAnswer {
  int column = 0, row = 0, columns = 2, rows = 2;
};

// What the geometry commands need of the window beyond the picture: the dialogs (nullopt or
// kDialogCancelled on Cancel), the clipboard and the selection's display.
class GeometryHost {
public:
  virtual ~GeometryHost() = default;
  // "Adjust Selection": left, top, width and height of the selection in picture pixels.
  virtual std::optional<Block> AskSelection(const Block& start, int pictureWidth, int pictureHeight) = 0;
  virtual std::optional<GridAnswer> AskGrid(int columns, int rows, int pictureWidth, int pictureHeight) = 0;
  // The size dialog: title, the picture's size and bits per pixel.
  virtual std::optional<SizeAnswer> AskSize(const std::string& title, int width, int height, int bits) = 0;
  // "Set Border".
  virtual std::optional<BorderAnswer> AskBorder(int width, int height, std::uint32_t platformColor) = 0;
  virtual std::optional<std::string> AskText(const std::string& title, const std::string& label, const std::string& start) = 0;
  virtual int AskSlider(const std::string& title, const SliderRequest& request) = 0;
  // Text Mark › Properties: the font and its colour; false on Cancel.
  virtual bool ChooseFont(TextMarkStyle& style) = 0;
  virtual std::optional<ColorValue> ChooseColor(ColorValue start) = 0;
  // False when the clipboard did not take the picture.
  virtual bool CopyToClipboard(const Dib& picture) = 0;
  // The select tool is chosen and the frame of SelectionRect drawn; the commands that use a
  // selection are enabled.
  virtual void ShowSelection() = 0;
  virtual bool ShiftHeld() { return false; }
  // The room the picture has in the window (Auto Resize); 0 x 0 when unknown.
  virtual std::pair<int, int> ClientSize() { return {0, 0}; }
  virtual bool MediaMode() { return false; }
};

enum class GeometryOutcome { Done, Cancelled, Refused, Unchanged, Failed };

// The remembered values of the commands while the program runs.
struct GeometryMemory {
  int gridColumns = 2, gridRows = 2;
  int borderWidth = 1, borderHeight = 1;
  std::uint32_t borderColor = 0xC0C0C0;  // platform colour
  std::string textMark;
};

class GeometryCommands {
public:
  GeometryCommands(PictureState& state, EngineState& engine, ToneCommands& edits, EditHost& host, GeometryHost& view);

  void SetRecorder(ScriptRecorder* r) { recorder_ = r; }
  GeometryMemory& Memory() { return memory_; }

  GeometryOutcome Run(GeometryCommand c);
  // The selection as the mouse left it: picture pixels, right and bottom one past the last.
  // Too small a frame (3 pixels or less on screen) is no selection; the caller says so.
  void SetSelection(const Block& b);
  void ClearSelection();

private:
  Dib& Pic() { return host_.Picture(); }
  GeometryOutcome Crop(bool copyOnly);
  GeometryOutcome Trim();
  GeometryOutcome MaskCommand(bool selectAll);
  GeometryOutcome Grid();
  GeometryOutcome Interpolate();
  GeometryOutcome AutoResize();
  GeometryOutcome Rotate(GeometryCommand c);
  GeometryOutcome Mirror(bool vertical);
  GeometryOutcome Border();
  GeometryOutcome TextMark(int corner);
  GeometryOutcome Replace(Dib&& picture);
  Block Selected() const;
  void Select(const Block& b);
  void Record(const std::string& word, std::initializer_list<int> args = {});
  void RecordText(const std::string& word, const std::string& text);

  PictureState& state_;
  EngineState& engine_;
  ToneCommands& edits_;
  EditHost& host_;
  GeometryHost& view_;
  ScriptRecorder* recorder_ = nullptr;
  GeometryMemory memory_;
};

// The script words of the family (ROTATE, BORDER, BORDER_TOPBOT, TEXTMARK_*): no dialog, no
// undo copy, nothing recorded. The arguments have passed the row's ranges.
void ApplyGeometryWord(GeometryCommand c, EditSession& session, const std::array<std::int32_t, 3>& args);

// The text mark with its tokens replaced, drawn with the engine's renderer and style; false
// when nothing was drawn (a picture 31 pixels wide or less, an empty text, no renderer).
bool DrawTextMarkWith(Dib& pic, EngineState& engine, const std::string& text, int corner,
                      const std::optional<std::string>& fileStem);

// The library's angle (hundredths of a degree, counter-clockwise) of ROTATE=a.
inline int RotateWordAngle(int a) { return 36000 - 100 * a; }

// The resize of Image › Resize › Interpolate: pictures of 8 bits or more take the smooth
// resample that RESIZE replays; smaller depths the copy operation chosen (1 keep black, 2 keep
// white, else smooth), through twice the width only when the height stays and the width
// shrinks.
bool InterpolateResize(Dib& pic, int width, int height, int copyOperation);

}  // namespace pelira
