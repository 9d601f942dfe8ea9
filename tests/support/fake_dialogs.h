#pragma once
// Dialog answers for the Qt window tests: a window (or a dialog) is handed one of these and
// never opens a modal loop. Each answer is a function the test sets; an unset one answers as
// Cancel would (the histogram view and the colour chooser: nothing shown, no colour).
#include <QStringList>

#include <functional>
#include <optional>
#include <string>

#include "batch/forms/batch_dialogs.h"
#include "engine/dialogs/engine_dialogs.h"
#include "engine/dialogs/filter_preview_dialog.h"
#include "viewer/forms/save_dialog.h"
#include "viewer/forms/viewer_dialogs.h"

namespace pelira {

template <class Base>
class FakeEngineDialogsOf : public Base {
public:
  std::function<int(const std::string& title, const std::string& lo, const std::string& hi, const SliderRequest& r)>
      slider;
  // Gets the preview dialog shown (not in a modal loop); a dialog still open afterwards is
  // cancelled.
  std::function<void(TFXdlg& dialog)> filter;
  std::function<std::string(QWidget* parent)> jpegSavePath;
  std::function<void(QWidget* parent, const QString& title, const Histograms& h)> histogram;
  std::function<long long(std::uint32_t current)> color;

  int RunSliderDialog(QWidget*, const QString& title, const QString& lo, const QString& hi,
                      const SliderRequest& r) override {
    return slider ? slider(title.toStdString(), lo.toStdString(), hi.toStdString(), r) : kDialogCancelled;
  }
  void RunFilterDialog(TFXdlg& dialog) override {
    dialog.setModal(true);
    dialog.show();
    if (filter) filter(dialog);
    if (dialog.isVisible()) dialog.reject();
  }
  std::string JpegSavePath(QWidget* parent, const QString&) override {
    return jpegSavePath ? jpegSavePath(parent) : std::string();
  }
  void ShowHistogram(QWidget* parent, const QString& title, const Histograms& h) override {
    if (histogram) histogram(parent, title, h);
  }
  long long ChooseColor(QWidget*, std::uint32_t current) override { return color ? color(current) : -1; }
};
using FakeEngineDialogs = FakeEngineDialogsOf<EngineDialogs>;

class FakeViewerDialogs : public FakeEngineDialogsOf<ViewerDialogs> {
public:
  std::function<QStringList(QWidget* parent, const QString& folder, const QString& filter)> open;
  std::function<std::optional<SaveChoice>(QWidget* parent, const SaveDialogSetup& setup)> save;
  std::function<QString(QWidget* parent, bool save, const QString& folder)> bookmarkFile;
  std::function<bool(TListDlg& dialog)> list;
  std::function<bool(TResizeForm& dialog)> viewport;
  std::function<std::optional<std::vector<std::size_t>>(const QString& caption, const std::vector<std::string>& items)>
      associations;
  std::function<QString(const QString& caption)> associatedApp;

  QStringList OpenFiles(QWidget* parent, const QString& folder, const QString& f) override {
    return open ? open(parent, folder, f) : QStringList();
  }
  std::optional<SaveChoice> SaveAs(QWidget* parent, const SaveDialogSetup& setup) override {
    return save ? save(parent, setup) : std::nullopt;
  }
  QString BookmarkFile(QWidget* parent, bool s, const QString& folder) override {
    return bookmarkFile ? bookmarkFile(parent, s, folder) : QString();
  }
  bool RunListDialog(TListDlg& dialog) override { return list ? list(dialog) : false; }
  bool RunViewportDialog(TResizeForm& dialog) override { return viewport ? viewport(dialog) : false; }
  std::optional<std::vector<std::size_t>> ChooseAssociations(QWidget*, const QString& caption,
                                                             const std::vector<std::string>& items) override {
    return associations ? associations(caption, items) : std::nullopt;
  }
  QString AssociatedApp(QWidget*, const QString& caption) override {
    return associatedApp ? associatedApp(caption) : QString();
  }
};

class FakeBatchDialogs : public BatchDialogs {
public:
  using FileDialog = std::function<QString(QWidget* parent, const QString& title, const QString& folder,
                                           const QString& name)>;
  FileDialog open, save;
  QString OpenScript(QWidget* p, const QString& t, const QString& f, const QString& n) override {
    return open ? open(p, t, f, n) : QString();
  }
  QString SaveScript(QWidget* p, const QString& t, const QString& f, const QString& n) override {
    return save ? save(p, t, f, n) : QString();
  }
};

}  // namespace pelira
