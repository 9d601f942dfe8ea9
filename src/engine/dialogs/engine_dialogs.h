#pragma once
// The dialogs that the engine's requesters and dialogs open, behind one interface that a window
// hands in: the Qt dialogs by default, a fake in tests. Nothing here is process-wide: a
// requester or dialog uses the interface it was given, else that of the window it sits in.
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

#include "engine/filter_request.h"

class QFont;
class QWidget;

namespace pelira {

class TFXdlg;
class TResizeForm;
class TQuadDlg;
struct Histograms;

class EngineDialogs {
public:
  virtual ~EngineDialogs() = default;
  // The one-number question (TXScrlDlg): the position, or kDialogCancelled.
  virtual int RunSliderDialog(QWidget* parent, const QString& title, const QString& minLabel, const QString& maxLabel,
                              const SliderRequest& request) = 0;
  // Runs the preview dialog until it closes; the caller reads the answer from it afterwards.
  virtual void RunFilterDialog(TFXdlg& dialog) = 0;
  // The file the JPEG wizard's Save As writes: empty on cancel.
  virtual std::string JpegSavePath(QWidget* parent, const QString& folder) = 0;
  virtual void ShowHistogram(QWidget* parent, const QString& title, const Histograms& h) = 0;
  // A colour (0x00BBGGRR) starting from current; -1 on cancel.
  virtual long long ChooseColor(QWidget* parent, std::uint32_t current) = 0;
  // Runs the size, rectangle or border form until it closes: true when accepted.
  virtual bool RunSizeForm(TResizeForm& form) = 0;
  // Runs the grid dialog until it closes: true when a cell was picked.
  virtual bool RunGridForm(TQuadDlg& dialog) = 0;
  // One line of text; nothing on Cancel.
  virtual std::optional<QString> AskText(QWidget* parent, const QString& title, const QString& label,
                                         const QString& start) = 0;
  // The font chooser, starting from font: true when one was taken (font holds it).
  virtual bool ChooseFont(QWidget* parent, QFont& font) = 0;
};

// The Qt dialogs, each modal. Other windows' interfaces extend EngineDialogs and take these
// answers by deriving from QtEngineDialogsOf<TheirInterface>.
int QtRunSliderDialog(QWidget* parent, const QString& title, const QString& minLabel, const QString& maxLabel,
                      const SliderRequest& request);
void QtRunFilterDialog(TFXdlg& dialog);
std::string QtJpegSavePath(QWidget* parent, const QString& folder);
void QtShowHistogram(QWidget* parent, const QString& title, const Histograms& h);
long long QtChooseColor(QWidget* parent, std::uint32_t current);
bool QtRunSizeForm(TResizeForm& form);
bool QtRunGridForm(TQuadDlg& dialog);
std::optional<QString> QtAskText(QWidget* parent, const QString& title, const QString& label, const QString& start);
bool QtChooseFont(QWidget* parent, QFont& font);

template <class Base>
class QtEngineDialogsOf : public Base {
public:
  int RunSliderDialog(QWidget* parent, const QString& title, const QString& minLabel, const QString& maxLabel,
                      const SliderRequest& request) override {
    return QtRunSliderDialog(parent, title, minLabel, maxLabel, request);
  }
  void RunFilterDialog(TFXdlg& dialog) override { QtRunFilterDialog(dialog); }
  std::string JpegSavePath(QWidget* parent, const QString& folder) override { return QtJpegSavePath(parent, folder); }
  void ShowHistogram(QWidget* parent, const QString& title, const Histograms& h) override {
    QtShowHistogram(parent, title, h);
  }
  long long ChooseColor(QWidget* parent, std::uint32_t current) override { return QtChooseColor(parent, current); }
  bool RunSizeForm(TResizeForm& form) override { return QtRunSizeForm(form); }
  bool RunGridForm(TQuadDlg& dialog) override { return QtRunGridForm(dialog); }
  std::optional<QString> AskText(QWidget* parent, const QString& title, const QString& label,
                                 const QString& start) override {
    return QtAskText(parent, title, label, start);
  }
  bool ChooseFont(QWidget* parent, QFont& font) override { return QtChooseFont(parent, font); }
};
using QtEngineDialogs = QtEngineDialogsOf<EngineDialogs>;

// A window that hands its dialogs to whatever opens inside it.
class EngineDialogsHolder {
public:
  virtual EngineDialogs& HeldDialogs() = 0;

protected:
  ~EngineDialogsHolder() = default;
};

// The dialogs of the window widget sits in: the nearest of widget and its parents that holds
// some, else the Qt ones.
EngineDialogs& DialogsFor(QWidget* widget);

}  // namespace pelira
