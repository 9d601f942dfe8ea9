#pragma once
// TWebForm: the viewer, the program's main window. It shows one picture at a time, zooms,
// fits and sizes itself to it, and hosts the menus of every command. The state and the maths
// live in core (viewer/*.h, app/*.h); this window reads them, forwards commands and paints.
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "app/options_rules.h"
#include "app/startup_state.h"
#include "app/stored_settings.h"
#include "platform/qt/menu_table.h"
#include "viewer/bookmarks.h"
#include "viewer/clipboard.h"
#include "viewer/forms/viewer_dialogs.h"
#include "viewer/open_flow.h"
#include "viewer/printer.h"
#include "viewer/scanner.h"
#include "viewer/view_state.h"
#include "viewer/window_sizing.h"

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollArea;
class QTimer;
class QToolBar;

namespace pelira {

class TPix;
class TShowForm;
class TFileForm;
struct ShowRequest;
class ToneCommands;
struct EngineState;
struct Histograms;
enum class EditCommand;
class TBatchForm;
class ScriptControl;
enum class FilterCommand;
enum class GeometryCommand;
class GeometryCommands;
class FilterCommands;
class ComputeCommands;
class EditHost;
class FilterRequester;
class TStatusWordPanel;
class TViewerLoadHost;
class BatchFileDialogs;

// Its menus and keys come from one table (MenuRows, built by MenuBuilder); its dialogs from
// one injected ViewerDialogs.
class TWebForm : public QMainWindow, public EngineDialogsHolder {
  Q_OBJECT
public:
  // settings are the working settings of the run: read at start, written back at close
  // through store.
  TWebForm(SettingsStore& store, StoredSettings& settings, const StartupState& startup,
           QWidget* parent = nullptr);
  // A window with the defaults of a first run and no file (tests of the window itself).
  explicit TWebForm(QWidget* parent = nullptr);
  ~TWebForm() override;

  // Every dialog the window and what opens inside it ask for: the Qt dialogs unless the
  // window is handed others (tests hand in a fake). dialogs must outlive the window.
  void SetDialogs(ViewerDialogs& dialogs) { dialogs_ = &dialogs; }
  ViewerDialogs& Dialogs() { return *dialogs_; }
  EngineDialogs& HeldDialogs() override { return *dialogs_; }
  void SetPictureLoader(PictureLoader loader) { loader_ = std::move(loader); }

  // --- state read by tests and the commands ------------------------------------------------
  ViewState& State() { return state_; }
  const ViewState& State() const { return state_; }
  const ViewerSettings& Settings() const { return settings_->viewer; }
  TPix* Sky95() const { return sky95_; }
  QScrollArea* ScrollBox() const { return scrollBox_; }
  QAction* Action(const QString& objectName) const;
  QString StatusPanelText(int panel) const;
  bool FirstActivationDone() const { return firstActivationDone_; }
  bool ForcedClose() const { return forcedClose_; }

  // --- steps of the open flow and the view ---------------------------------------------------
  void BtnOpenClick();          // "&Open": the dialog, then the file
  void BtnOpenEx();             // reopens CurrentFile without a dialog
  // Files dropped on the window, in the order dropped: the first is shown, the others join
  // the bookmark list.
  void DropFiles(const QStringList& files);
  void OpenChosen(const QString& path);
  // A picture decoded reduced only to fit the window is decoded again in full (before an
  // edit, a save or a script works on it).
  void EnsureFullPicture();
  // View › Page: 1 next, -1 previous, 0 first, 999 last page of a multipage document (the
  // button is next); pages wrap at both ends.
  void PageChange(int command);
  // View › Zoom to: "Set Magnification (%)", 25..800 in steps of 25; leaves fit mode.
  void mnuZoomToClick();
  // Tools › Compress: the JPEG compression wizard over the picture, with its Save As.
  void mnuCompressClick();
  // Tools › Wallpaper and Associations (web_form_desktop.cpp).
  void mnuWallpaperSetClick();
  void mnuWallpaperClearClick();
  void mnuAssociationsClick(bool change);
  // View › Options (web_form_options.cpp): the Options dialog, and what its Ok and Apply do.
  void mnuOptionsClick();
  void ApplyOptions(const OptionsValues& values);
  // The explorer's switches as the Options dialog last set them.
  ExplorerOptions& ExplorerSwitches() { return explorerOptions_; }
  // Enter in the path box: a file opens, a folder starts the open dialog there, anything else
  // is "File not found." and the box shows the current file again.
  void PathBoxEnter();
  // The Page button and submenu show for documents of two pages or more.
  void ShowPageCommands();
  // Tools › Slide Album: the album window, its slides opening here.
  TShowForm* ShowAlbum();
  // File › Explore (Ctrl+E), the Explore button: the explorer window, made on first use.
  TFileForm* ShowExplorer();
  // Tools › Tile and Hide (web_form_desktop.cpp).
  void TileWindows(bool overlapped, bool explorerLeft);
  void mnuHideClick();
  // Bookmarks › Album: the bookmark list joins the slide album.
  void mnuBookmarksAlbumClick();
  // --- slideshows (web_form_show.cpp) ---------------------------------------------------------
  // Bookmarks › Run, the context menu's Slideshow, the Instant slideshow button and key R.
  void mnuHistorySlideshowClick();
  // An AVL script played full screen; the blank picture afterwards. False when refused.
  bool PlayScript(const std::string& path);
  // Tools › Slideshow: the open dialog for a script, then PlayScript.
  void mnuSlideshowClick();
  // Tools › Slide effects: the chosen effects of instant shows.
  void mnuSlideEffectsClick();
  void BlankPicture(bool untitled);
  void PictureChanged();
  void StatusReady();
  void UpdateCaption();
  void EnableControls();
  void UpdateFitControls();
  void ApplyZoom();
  void AutoZoom();
  void LayoutViewport();
  void ChangeView();
  void SizeWindowToImage();
  int ViewportHeight() const;
  int MenuHeight() const;
  int BarsHeight() const;
  int GetWinMin() const;
  WindowMetrics Metrics() const;
  bool CloseNow(bool fromExploreButton = false);
  // Tools › Batch's file commands and File › Copy to / Move to / Delete (web_form_batchops.cpp):
  // Shift and Ctrl as held at the click; the dialogs are Qt's unless the window is handed others.
  enum class BatchMenu { ToJpg, ToBmp, ToPng, ToTif, ToTga, ToPcx, DateName, Rename, Move, Delete, CopyTo, MoveTo, DeleteOne };
  void BatchFileCommand(BatchMenu command, Qt::KeyboardModifiers modifiers);
  void SetBatchFileDialogs(BatchFileDialogs& dialogs) { batchDialogs_ = &dialogs; }

  // --- commands ------------------------------------------------------------------------------
  void mnuFitClick();                 // "Fit to &window"
  void btnZoomUpClick();              // "Zoom +"
  void btnZoomDownClick();            // "Zoom -"
  void SetZoomKey(int zoom);          // keys 2, 5, 7
  void mnuOptimizeWindowClick();      // "&Adjust" › "&Window"
  void mnuViewportClick();            // "&Adjust" › "&Viewport"
  void mnuFullScrnClick();            // "Full screen" / "Normal window" (web_form_fullscreen.cpp)
  bool FullScreen() const { return windowState() & Qt::WindowFullScreen; }
  void mnuFitWinToClick(int divisor); // "Fit to" "1:&n"
  void mnuUpsampledFitClick();
  void mnuScaleJPGClick();            // "&Half JPEG ": later JPEG opens decode at half size
  // " &1:1 Monitor", " 1:1 &Best fit", " &4:3 TV", "16:&9 Wide": how later loads fit the window.
  void mnuAspectClick(QAction* item);
  void mnuViewGammaClick();           // "&Gamma": the screen gamma of this and every later load
  void SetAspectMonitor();            // back to " &1:1 Monitor", no resampling on load
  void PrepareOpen();                 // the picture control shown and painting, the hand tool
  void SetMenuBarShown(bool on);
  void SetToolBarShown(bool on);
  void SetStatusBarShown(bool on);
  void SetButtonText(bool on);
  void SetPathBoxShown(bool on);

  // --- editing commands, undo and the engine state (web_form_tone.cpp) -----------------------
  void BuildEditMenus();
  // The menu items of the operation table's rows.
  void BuildOperationItems();
  // The menu of that object name; a placeholder item of that name becomes a submenu.
  QMenu* MenuNamed(const QString& name);
  ToneCommands& Edits();
  EngineState& Engine();
  void DiscardUndo();  // a new file is shown

  // --- batch scripts (script_control.h) ---------------------------------------------------------
  ScriptControl& Scripts() { return *scripts_; }
  // --- neighbourhood filters (web_form_filters.cpp) ------------------------------------------
  void BuildFilterMenus();
  // Image › Resize › Resample: the size dialog, then the resample.
  void ResampleClick();
  FilterCommands& Filters();
  // Every command and script run is one operation: the Esc-only input guard a filter puts up
  // comes down when the outermost scope ends, whatever way the operation ended.
  class OperationScope {
  public:
    explicit OperationScope(TWebForm& form);
    ~OperationScope();
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

  private:
    TWebForm& form_;
  };
  bool InputGuarded() const;  // a filter's Esc-only guard is up
  void RunFilter(FilterCommand c);
  // The tone commands' window parts, which the filters share (web_form_tone.cpp).
  EditHost& EditHostOf();
  FilterRequester& EditRequester();
  void EndEditBusy();

  // --- geometry commands and the select tool (web_form_geometry.cpp) ------------------------
  void BuildGeometryCommands();
  void RunGeometry(GeometryCommand c);
  GeometryCommands& Geometry();
  // The select tool: a drag draws a frame; a drag inside it moves it, on its edges resizes it.
  void SelectSelectTool();
  // SelectionRect's frame over the picture, the select tool on; Crop, Trim and Copy ›
  // Selection enabled.
  void ShowSelectionFrame();
  void EnableSelectionItems(bool on);

private:
  // The select tool's mouse on the picture; true when the event is used up.
  bool SelectToolMouse(QEvent* event);
  struct GeometryParts;
  std::unique_ptr<GeometryParts, void (*)(GeometryParts*)> geometry_{nullptr, nullptr};
  struct FilterParts;
  std::unique_ptr<FilterParts, void (*)(FilterParts*)> filter_{nullptr, nullptr};

public:
  // --- Image › Compute, Add noise and Analyze (web_form_compute.cpp) ------------------------
  void BuildComputeItems();
  ComputeCommands& Compute();
  // Image › Analyze: Shift adds the complexity rating; Ctrl with two or more bookmarks, or
  // exactly two bookmarks, compares the picture with the next bookmark's file.
  void mnuAnalyzeClick();

private:
  struct ComputeParts;
  std::unique_ptr<ComputeParts, void (*)(ComputeParts*)> compute_{nullptr, nullptr};

public:
  // --- bookmarks (web_form_bookmarks.cpp) and Save as (web_form_save.cpp) ------------------
  BookmarkList& Bookmarks() { return bookmarks_; }
  void BuildBookmarkCommands();
  void UpdateHistory();
  void HistoryChangeUpdate();
  void UpdateHistoryEdit();
  void HistoryControls();
  // Records a file or folder in the recent links, unless the setting is off or a show runs.
  void AddRecent(const std::string& path);
  void BookmarkStep(int step);  // +1 next, -1 previous, 0 first, 2 last
  void mnuUnmarkClick();
  void mnuBookmarksClearClick();
  void mnuBookmarksSortClick();
  void mnuMoveClick(bool down);
  void mnuBookmarksViewClick();
  void mnuBookmarksSaveClick();
  void mnuBookmarksLoadClick();
  void mnuSaveClick(bool batch = false);
  // The script's SAVE sets the batch mark and suffix; Cancel and a stop clear the mark.
  void SetBatchMark(bool on, const std::string& suffix = {});
  void SetBatchSuffix(const std::string& suffix) { batchSuffix_ = suffix; }
  bool BatchMark() const { return batchMark_; }

  // --- clipboard, printing, scanning, New and Info (web_form_clipboard.cpp, web_form_print.cpp)
  void mnuCopyClick();           // Copy › Image
  void mnuCopyViewportClick();   // Copy › Viewport
  void mnuCopySelectionClick();  // Copy › Selection
  void mnuPasteClick();          // Paste › Image
  void mnuPasteMask1Click();     // Paste › Selection
  void mnuEmptyClick();
  void mnuPrintClick();
  void mnuTWAIN_Select1Click();
  void mnuTWAIN_Acquire1Click();
  void mnuNew1Click();
  void mnuImageInfoClick();
  // A new picture from the clipboard, a scanner or New: shown as "Untitled", modified.
  void ShowUntitled(Dib&& bitmap);
  // The clipboard, printer and scanner the commands use: the desktop's (QClipboard, QPrinter,
  // SANE) unless the window is handed others (tests). They must outlive the window.
  void SetClipboard(Clipboard& c) { clipboard_ = &c; }
  void SetPrinter(Printer& p) { printer_ = &p; }
  void SetScanner(Scanner& s) { scanner_ = &s; }
  Clipboard& TheClipboard();
  Printer& ThePrinter();
  Scanner& TheScanner();

private:
  Clipboard* clipboard_ = nullptr;
  Printer* printer_ = nullptr;
  Scanner* scanner_ = nullptr;
  std::unique_ptr<Clipboard> ownClipboard_;
  std::unique_ptr<Printer> ownPrinter_;
  std::unique_ptr<Scanner> ownScanner_;
  std::string scanDevice_;  // the source "&Select" chose

public:

  // --- start-up and shutdown ------------------------------------------------------------------
  // Shows the display warnings; false when the program must end.
  bool StartupChecksPass(int colorDepth, int screenHeight);
  // The first activation: once per run, after the window is shown.
  void FirstActivation();
  // The deferred open of the command-line file.
  void Timer2Timer();
  // The application's handler of unexpected errors.
  void HandleUnexpectedError(const std::string& message);

protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  void Init();
  void BuildMenus();
  std::vector<MenuSpec> MenuRows();
  void BuildSlideshowCommands();
  ShowRequest SlideshowRequest() const;
  void BuildToolBars();
  void BuildStatusBar();
  void ApplySettings();
  void ApplyBars();
  QAction* Item(QMenu* menu, const QString& caption, const QString& name, const QKeySequence& key = {},
                std::function<void()> run = {});
  void Run(const std::function<void()>& command);
  void ShowPicture(Dib&& bitmap);
  void AfterLoad(OpenKind kind, const LoadedPicture& loaded);
  static QString OpenFilterText();
  void SetStatusWord(const std::string& word);
  void SetZoomPanel(const QString& text);
  void SetDescriptionPanel();
  void PlaceWindow(const RectI& outer);
  void RestoreWindowBounds();
  void FormResize();
  bool FormKeyDown(QKeyEvent* key);
  bool FormCloseQuery();
  void FormClose();
  void SelectHandTool();
  void ScrollTo(int x, int y);
  LoadRequest MakeLoadRequest() const;
  QRect OuterRect() const;
  bool NormalWindow() const;

  QtViewerDialogs qtDialogs_;
  ViewerDialogs* dialogs_ = &qtDialogs_;
  SettingsStore* store_ = nullptr;
  StoredSettings* settings_ = nullptr;
  StartupState startup_;
  std::unique_ptr<MemorySettingsStore> ownStore_;   // the parameterless constructor's
  std::unique_ptr<StoredSettings> ownSettings_;
  ViewState state_;
  PictureLoader loader_;
  std::unique_ptr<TViewerLoadHost> loadHost_;

  QWidget* panelTool_ = nullptr;
  QToolBar* toolbar1_ = nullptr;
  QWidget* panelHistory_ = nullptr;
  QToolBar* toolBar2_ = nullptr;
  QLineEdit* history_ = nullptr;
  QWidget* viewportArea_ = nullptr;
  QScrollArea* scrollBox_ = nullptr;
  TPix* sky95_ = nullptr;
  TStatusWordPanel* statusWord_ = nullptr;
  QLabel* zoomPanel_ = nullptr;
  QLabel* descriptionPanel_ = nullptr;
  QTimer* timer2_ = nullptr;
  std::map<QString, QAction*> actions_;
  std::unique_ptr<MenuBuilder> menus_;
  std::unique_ptr<ScriptControl> scripts_;
  BatchFileDialogs* batchDialogs_ = nullptr;
  std::string batchTargetFolder_;  // the last folder chosen for copy, move or conversion

  struct EditParts;
  std::unique_ptr<EditParts, void (*)(EditParts*)> edit_{nullptr, nullptr};
  void RunEdit(EditCommand c);

  bool ShowBookmark();  // opens the entry at the index, or drops it when missing
  bool LeavePicture();  // the CloseNow question before another file, except inside a script
  BookmarkList bookmarks_;
  bool batchMark_ = false;
  std::string batchSuffix_;
  int saveType_ = 3;
  int saveCompression_ = 50;
  bool saveProgressive_ = true;

  bool firstActivationDone_ = false;
  bool firstActivationQueued_ = false;
  bool forcedClose_ = false;
  bool closing_ = false;
  bool closeAfterShow_ = false;  // a close refused while a show played
  void AfterShow();
  bool programmaticResize_ = false;
  bool dragging_ = false;
  QPoint dragLast_;
  // Outer bounds placed before the frame was known, with the client size they gave.
  std::optional<std::pair<RectI, QSize>> placedUnshown_;
  QPoint frameOffset_;
  int wheelDelta_ = 0;  // wheel turn not yet a whole notch
  ExplorerOptions explorerOptions_;  // client top-left less frame top-left, while the window is normal
};

}  // namespace pelira
