// TWebForm: the geometry and selection commands (Edit › Crop, Trim, Mask, Select all, Grid,
// Copy › Selection; Image › Resize › Interpolate, Auto › Resize, Rotate, Mirror, Border, Text
// Mark; Colors › Posterize runs with the filters) and the select tool. The commands live in
// core (edit/geometry_commands.h); this file lends them the window's dialogs, clipboard and
// the selection's frame, and turns the mouse into a selection.
#include <QAction>
#include <QClipboard>
#include <QFont>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScrollArea>

#include <algorithm>

#include "display/forms/pix.h"
#include "edit/geometry_commands.h"
#include "edit/tone_commands.h"
#include "engine/dialogs/quad_dialog.h"
#include "engine/dialogs/resize_form.h"
#include "engine/engine_state.h"
#include "platform/qt/qt_page_renderers.h"
#include "platform/qt/qt_text_renderer.h"
#include "viewer/forms/web_form.h"

namespace pelira {

namespace {

const QtTextRenderer& TextRendererOfWindows() {
  static const QtTextRenderer renderer;
  return renderer;
}

// The grab zone of a frame's edges, in control pixels.
constexpr int kEdgeGrab = 4;
enum Edge { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };

}  // namespace

struct TWebForm::GeometryParts : GeometryHost {
  explicit GeometryParts(TWebForm& f) : form(f), commands(f.state_, f.Engine(), f.Edits(), f.EditHostOf(), *this) {}

  std::optional<Block> AskSelection(const Block& start, int w, int h) override {
    TResizeForm dialog(start.left, start.top, start.width, start.height, w, h, "Adjust Selection", 0, &form);
    if (!form.Dialogs().RunSizeForm(dialog)) return std::nullopt;
    dialog.setResult(QDialog::Accepted);
    const SizeResult r = dialog.Result();
    return Block{r.x, r.y, r.width, r.height};
  }
  std::optional<GridAnswer> AskGrid(int columns, int rows, int w, int h) override {
    TQuadDlg dialog(columns, rows, w, h, &form);
    if (!form.Dialogs().RunGridForm(dialog)) return std::nullopt;
    const GridResult r = dialog.Result();
    const int cw = std::max(1, w / std::max(r.columns, 1)), ch = std::max(1, h / std::max(r.rows, 1));
    return GridAnswer{r.cell.left / cw, r.cell.top / ch, r.columns, r.rows};
  }
  std::optional<SizeAnswer> AskSize(const std::string& title, int w, int h, int bits) override {
    TResizeForm dialog(-1, -1, w, h, 16384, 16384, QString::fromStdString(title), bits, &form);
    if (!form.Dialogs().RunSizeForm(dialog)) return std::nullopt;
    dialog.setResult(QDialog::Accepted);
    const SizeResult r = dialog.Result();
    return SizeAnswer{r.width, r.height, r.copyOperation};
  }
  std::optional<BorderAnswer> AskBorder(int w, int h, std::uint32_t color) override {
    TResizeForm dialog(-1, -1, w, h, 127, 127, "Set Border", -2, &form);
    dialog.SetBorderColor(color);
    dialog.SetDialogs(&form.Dialogs());
    if (!form.Dialogs().RunSizeForm(dialog)) return std::nullopt;
    dialog.setResult(QDialog::Accepted);
    const SizeResult r = dialog.Result();
    return BorderAnswer{r.width, r.height, r.borderColor};
  }
  std::optional<std::string> AskText(const std::string& title, const std::string& label, const std::string& start) override {
    const std::optional<QString> t = form.Dialogs().AskText(&form, QString::fromStdString(title),
                                                            QString::fromStdString(label), QString::fromStdString(start));
    if (!t) return std::nullopt;
    return t->toStdString();
  }
  int AskSlider(const std::string& title, const SliderRequest& request) override {
    return form.Dialogs().RunSliderDialog(&form, QString::fromStdString(title), "", "", request);
  }
  bool ChooseFont(TextMarkStyle& style) override {
    TextFont& f = style.font;
    QFont font(QString::fromStdString(f.family));
    // The chooser speaks points; the mark is drawn in pixels (96 per inch).
    font.setPointSizeF(f.pixelSize * 0.75);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    if (!form.Dialogs().ChooseFont(&form, font)) return false;
    f.family = font.family().toStdString();
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
    f.pixelSize = std::clamp(static_cast<int>(points / 0.75 + 0.5), 4, 512);
    f.bold = font.bold();
    f.italic = font.italic();
    // Qt's font chooser has no colour: the colour chooser follows.
    const long long c = form.Dialogs().ChooseColor(&form, ToPlatformColor(style.color));
    if (c >= 0) style.color = FromPlatformColor(static_cast<std::uint32_t>(c));
    return true;
  }
  std::optional<ColorValue> ChooseColor(ColorValue start) override {
    const long long c = form.Dialogs().ChooseColor(&form, ToPlatformColor(start));
    if (c < 0) return std::nullopt;
    return FromPlatformColor(static_cast<std::uint32_t>(c));
  }
  bool CopyToClipboard(const Dib& picture) override {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QImage image = QImageFromDib(picture);
    if (!clipboard || image.isNull()) return false;
    clipboard->setImage(image);
    return true;
  }
  void ShowSelection() override { form.ShowSelectionFrame(); }
  bool ShiftHeld() override { return QGuiApplication::keyboardModifiers() & Qt::ShiftModifier; }
  std::pair<int, int> ClientSize() override { return {form.width(), form.ViewportHeight()}; }
  bool MediaMode() override { return form.state_.MediaMode; }

  TWebForm& form;
  GeometryCommands commands;

  // The select tool's drag: drawing a new frame, moving the frame, or moving some of its edges.
  enum class Drag { None, Draw, Move, Resize };
  Drag drag = Drag::None;
  QPoint anchor;      // Draw: the first corner; Move: the grab point's offset from the frame
  int edges = 0;      // Resize: which edges follow the mouse
  QRect frame;        // control pixels, as drawn
};

GeometryCommands& TWebForm::Geometry() {
  if (!geometry_)
    geometry_ = std::unique_ptr<GeometryParts, void (*)(GeometryParts*)>(new GeometryParts(*this),
                                                                          [](GeometryParts* p) { delete p; });
  return geometry_->commands;
}

void TWebForm::BuildGeometryCommands() {
  EngineState& engine = Engine();
  engine.textRenderer = &TextRendererOfWindows();
  engine.today = [] { return QtShortDate(); };
  Geometry();
  if (QAction* a = Action("mnuSelectTool")) {
      a->setEnabled(true);
      connect(a, &QAction::triggered, this, [this] { SelectSelectTool(); });
    }
  EnableSelectionItems(false);
}

void TWebForm::RunGeometry(GeometryCommand c) {
  if (!state_.ImageLoaded || sky95_->Bitmap().Empty()) return;
  // Corners a rotation uncovers take the viewer's background.
  Engine().background = FromPlatformColor(settings_->viewer.backgroundColor);
  Run([this, c] {
    try {
      Geometry().Run(c);
    } catch (...) {
      EndEditBusy();
      throw;
    }
    EndEditBusy();
  });
}

void TWebForm::EnableSelectionItems(bool on) {
  for (const char* name : {"mnuCrop", "mnuTrim1", "mnuCopyMask"})
    if (QAction* a = Action(name)) a->setEnabled(on);
}

void TWebForm::SelectSelectTool() {
  sky95_->SetStretch(true);
  state_.SelectTool = true;
  state_.Scrollable = false;
  state_.SelectionDrawn = false;
  sky95_->SetFrameRect(std::nullopt);
  if (geometry_) geometry_->drag = GeometryParts::Drag::None;
  Action("btnScroll")->setChecked(false);
  if (QAction* a = Action("btnSelect")) a->setChecked(true);
  if (QAction* a = Action("mnuSelectTool")) a->setChecked(true);
  sky95_->setMouseTracking(true);
  sky95_->setCursor(Qt::CrossCursor);
  EnableSelectionItems(false);
}

void TWebForm::ShowSelectionFrame() {
  if (!state_.SelectionDrawn) return;
  const bool drawn = state_.SelectionDrawn;
  if (!state_.SelectTool) SelectSelectTool();
  state_.SelectionDrawn = drawn;
  const SelectionBounds& r = state_.SelectionRect;
  const ViewScale scale{state_.FitMode, state_.Zoom, sky95_->width(), sky95_->height()};
  const Dib& b = sky95_->Bitmap();
  const ScreenRect s = DisplaySelection({r.left, r.top, r.right - r.left, r.bottom - r.top}, scale, b.Width(), b.Height());
  const QRect frame(s.left, s.top, std::max(s.right - s.left, 1), std::max(s.bottom - s.top, 1));
  Geometry();
  geometry_->frame = frame;
  sky95_->SetFrameRect(frame);
  EnableSelectionItems(true);
}

bool TWebForm::SelectToolMouse(QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) return false;
  if (!state_.ImageLoaded || sky95_->Bitmap().Empty()) return false;
  auto* m = static_cast<QMouseEvent*>(event);
  Geometry();
  GeometryParts& g = *geometry_;
  // Control pixels, kept on the picture.
  const QPoint raw = sky95_->mapFromGlobal(m->globalPosition().toPoint());
  const int cw = std::max(sky95_->width(), 1), ch = std::max(sky95_->height(), 1);
  QPoint p(std::clamp(raw.x(), 0, cw - 1), std::clamp(raw.y(), 0, ch - 1));
  // Whole magnified pixels.
  const int s = state_.FitMode ? 1 : std::max(state_.Zoom / 100, 1);
  p = QPoint(p.x() / s * s, p.y() / s * s);
  const bool shown = sky95_->FrameRect().has_value();
  // The rectangle spanning two corners, both inside it.
  auto span = [](QPoint a, QPoint b) {
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())), QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
  };
  auto edgesAt = [&](QPoint q) {
    const QRect& f = g.frame;
    if (!shown || !f.adjusted(-kEdgeGrab, -kEdgeGrab, kEdgeGrab, kEdgeGrab).contains(q)) return 0;
    int e = 0;
    if (std::abs(q.x() - f.left()) <= kEdgeGrab) e |= kLeft;
    else if (std::abs(q.x() - f.right()) <= kEdgeGrab) e |= kRight;
    if (std::abs(q.y() - f.top()) <= kEdgeGrab) e |= kTop;
    else if (std::abs(q.y() - f.bottom()) <= kEdgeGrab) e |= kBottom;
    return e;
  };

  if (type == QEvent::MouseButtonPress) {
    if (m->button() != Qt::LeftButton) return false;
    const int e = edgesAt(p);
    if (e) {
      g.drag = GeometryParts::Drag::Resize;
      g.edges = e;
    } else if (shown && g.frame.contains(p)) {
      g.drag = GeometryParts::Drag::Move;
      g.anchor = p - g.frame.topLeft();
    } else {
      g.drag = GeometryParts::Drag::Draw;
      g.anchor = p;
      g.frame = QRect();
      sky95_->SetFrameRect(std::nullopt);
      g.commands.ClearSelection();
      EnableSelectionItems(false);
    }
    return true;
  }

  if (type == QEvent::MouseMove) {
    if (g.drag == GeometryParts::Drag::None || !(m->buttons() & Qt::LeftButton)) {
      // Hovering: the cursor tells what a press would do.
      const int e = edgesAt(p);
      Qt::CursorShape shape = Qt::CrossCursor;
      if ((e & (kLeft | kTop)) == (kLeft | kTop) || (e & (kRight | kBottom)) == (kRight | kBottom)) shape = Qt::SizeFDiagCursor;
      else if ((e & (kRight | kTop)) == (kRight | kTop) || (e & (kLeft | kBottom)) == (kLeft | kBottom)) shape = Qt::SizeBDiagCursor;
      else if (e & (kLeft | kRight)) shape = Qt::SizeHorCursor;
      else if (e & (kTop | kBottom)) shape = Qt::SizeVerCursor;
      else if (shown && g.frame.contains(p)) shape = Qt::SizeAllCursor;
      sky95_->setCursor(shape);
      return g.drag != GeometryParts::Drag::None;
    }
    QRect f = g.frame;
    switch (g.drag) {
      case GeometryParts::Drag::Draw:
        f = span(g.anchor, p);
        break;
      case GeometryParts::Drag::Move: {
        QPoint topLeft = p - g.anchor;
        topLeft.setX(std::clamp(topLeft.x(), 0, std::max(cw - f.width(), 0)));
        topLeft.setY(std::clamp(topLeft.y(), 0, std::max(ch - f.height(), 0)));
        f.moveTopLeft(topLeft);
        break;
      }
      case GeometryParts::Drag::Resize:
        if (g.edges & kLeft) f.setLeft(p.x());
        if (g.edges & kRight) f.setRight(p.x());
        if (g.edges & kTop) f.setTop(p.y());
        if (g.edges & kBottom) f.setBottom(p.y());
        f = span(f.topLeft(), f.bottomRight());
        break;
      case GeometryParts::Drag::None:
        break;
    }
    g.frame = f;
    sky95_->SetFrameRect(f);
    return true;
  }

  // Release: the frame becomes the selection in picture pixels, or none when it is too small.
  if (g.drag == GeometryParts::Drag::None || m->button() != Qt::LeftButton) return false;
  g.drag = GeometryParts::Drag::None;
  const QRect f = g.frame;
  if (f.width() > 3 && f.height() > 3) {
    const Dib& b = sky95_->Bitmap();
    const ViewScale scale{state_.FitMode, state_.Zoom, sky95_->width(), sky95_->height()};
    g.commands.SetSelection(AdjustSelection(f.left(), f.top(), f.right(), f.bottom(), scale, b.Width(), b.Height()));
  } else {
    g.commands.ClearSelection();
  }
  if (state_.SelectionDrawn) {
    ShowSelectionFrame();
  } else {
    g.frame = QRect();
    sky95_->SetFrameRect(std::nullopt);
    EnableSelectionItems(false);
  }
  // The window's own handling of a release (focus, stop requests) follows.
  return false;
}

}  // namespace pelira
