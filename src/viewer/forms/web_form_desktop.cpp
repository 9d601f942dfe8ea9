// Tools › Wallpaper and Tools › Associations: the desktop's wallpaper made from the picture,
// and the program registered for picture kinds. Neither changes the picture or its state.
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "album/album_store.h"
#include "album/forms/show_form.h"
#include "common/app_paths.h"
#include "common/atomic_file.h"
#include "display/fit_size.h"
#include "display/forms/pix.h"
#include "explorer/forms/file_form.h"
#include "image/bmp_graphic.h"
#include "imaging_library/image_ops.h"
#include "platform/desktop_wallpaper.h"
#include "platform/file_associations.h"
#include "platform/ui.h"
#include "viewer/forms/viewer_dialogs.h"
#include "viewer/forms/web_form.h"

namespace pelira {

namespace {

// Pictures this small make no wallpaper.
constexpr int kSmallestWallpaper = 128;

void Tell(const DesktopResult& r) {
  if (!r.ok) CurrentUi().Message(MessageKind::Warning, r.message, Button::OK);
}

}  // namespace

void TWebForm::mnuWallpaperSetClick() {
  const Dib& picture = sky95_->Bitmap();
  if (!state_.ImageLoaded || picture.Width() <= kSmallestWallpaper || picture.Height() <= kSmallestWallpaper) return;
  const QScreen* s = screen();
  const QSize screenSize = s ? s->size() : QSize(1024, 768);
  const SizeI fit = FitSize(picture.Width(), picture.Height(), screenSize.width(), screenSize.height());
  // A copy is scaled: the picture on show stays as it is, with its undo copy and its state.
  const Dib colour = picture.BitCount() == 24 ? picture : ToTrueColor(picture);
  const TRect all{0, 0, colour.Width(), colour.Height()};
  Dib wallpaper;
  if (fit.width == colour.Height() && fit.height < colour.Width()) {
    const Dib twice = ScaledCopy(colour, 2 * fit.width, 2 * fit.height, all, 0);
    wallpaper = ScaledCopy(twice, fit.width, fit.height, {0, 0, twice.Width(), twice.Height()}, 0);
  } else {
    wallpaper = ScaledCopy(colour, fit.width, fit.height, all, 0);
  }
  const auto path = AppPaths::Wallpaper();
  const Bytes bmp = SaveWorkingBitmapBmp(wallpaper);
  const WriteResult w = AtomicWrite(path, bmp.data(), bmp.size());
  if (!w) {
    CurrentUi().Message(MessageKind::Error, w.message, Button::OK);
    return;
  }
  Tell(SetDesktopWallpaper(path));
}

void TWebForm::mnuWallpaperClearClick() { Tell(ClearDesktopWallpaper()); }

void TWebForm::mnuAssociationsClick(bool change) {
  std::vector<std::string> labels;
  for (const AssociationItem& item : AssociationItems()) labels.push_back(item.label);
  const QString caption = QString(change ? "Change" : "Set") + " File Associations";
  const auto chosen = Dialogs().ChooseAssociations(this, caption, labels);
  if (!chosen || chosen->empty()) return;
  const XdgHomes homes = CurrentXdgHomes();
  if (!change) {
    Tell(SetAssociations(*chosen, QCoreApplication::applicationFilePath().toStdString(), homes));
    return;
  }
  for (const std::size_t item : *chosen) {
    const QString app =
        Dialogs().AssociatedApp(this, "Select Associated App for " + QString::fromStdString(AssociationClass(item)));
    const DesktopResult r = ChangeAssociation(item, app.toStdString(), homes);
    if (!r.ok) {
      Tell(r);
      return;
    }
  }
}

}  // namespace pelira

namespace pelira {

namespace {

// Puts a top-level window's frame on outer (screen coordinates): the client takes the rest.
void PlaceFrame(QWidget& w, const RectI& outer) {
  const QSize frame = w.frameGeometry().size() - w.size();
  w.move(outer.left, outer.top);
  w.resize(std::max(outer.width - frame.width(), 1), std::max(outer.height - frame.height(), 1));
}

}  // namespace

void TWebForm::TileWindows(bool overlapped, bool explorerLeft) {
  TFileForm* explorer = ShowExplorer();
  if (!explorer) return;
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
  const Qt::KeyboardModifiers mods = QGuiApplication::keyboardModifiers();
  const QScreen* s = screen();
  if (!s) return;
  // Shift or Ctrl: the whole screen, task bar or not.
  const QRect area = mods & (Qt::ShiftModifier | Qt::ControlModifier) ? s->geometry() : s->availableGeometry();
  const QRect whole = s->geometry();
  const TileRects r = TileWindowRects({area.left(), area.top(), area.width(), area.height()},
                                      {whole.width(), whole.height()}, overlapped, explorerLeft,
                                      mods & Qt::ControlModifier, explorer->frameGeometry().width());
  PlaceFrame(*explorer, r.explorer);
  if (FullScreen()) return;
  show();
  PlaceFrame(*this, r.viewer);
}

void TWebForm::mnuHideClick() {
  TShowForm* album = findChild<TShowForm*>(QString(), Qt::FindDirectChildrenOnly);
  if (album && album->Store().Count() > 0) {
    album->show();
    album->raise();
  } else {
    ShowExplorer();
  }
  hide();
}

}  // namespace pelira
