#pragma once
// TShowForm: the slide album window. It owns the AlbumStore, shows it through one virtual
// model in a details view and an icon view, and forwards every command to the album core.
// Menus, keys and tool buttons come from one table; dialogs from one AlbumDialogs.
#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "album/album_commands.h"
#include "album/album_add.h"
#include "album/album_store.h"

class QLabel;
class QListView;
class QListWidget;
class QStackedWidget;
class QTableView;
class QAction;
class QMenu;
class QToolBar;
class QSplitter;

namespace pelira {

class AlbumDialogs;
class SettingsStore;
class TAlbumModel;
class Ui;
class VolumeSource;

// What the album asks of the rest of the program; each may be left empty.
struct AlbumHooks {
  // Open slides in the viewer: the first is shown, the rest appended to its bookmark list.
  std::function<void(const std::vector<std::string>& paths)> openInViewer;
  // Play a slideshow script (the Run command's test script).
  std::function<void(const std::string& script)> playScript;
  // A chosen album file joins the viewer's recent-files list.
  std::function<void(const std::string& path)> addRecent;
  // The transition effects' names (index = effect number); the effects table's by default.
  std::function<std::vector<std::string>()> effectNames;
};

class TShowForm : public QMainWindow {
  Q_OBJECT
 public:
  // dialogs and ui outlive the window; settings and volumes may be null.
  TShowForm(AlbumDialogs& dialogs, Ui& ui, QWidget* parent = nullptr, SettingsStore* settings = nullptr,
            VolumeSource* volumes = nullptr);
  ~TShowForm() override;

  AlbumStore& Store() { return store_; }
  TAlbumModel* Model() const { return model_; }
  QTableView* DetailsView() const { return table_; }
  QListView* IconView() const { return icons_; }
  QLabel* StatusPanel(int i) const { return status_[i]; }
  QListWidget* PropertiesList() const { return propList_; }
  QAction* Action(const char* objectName) const;
  void SetHooks(AlbumHooks hooks) { hooks_ = std::move(hooks); }
  // The screen the position and panel ranges and the headers' ScreenW/H use.
  void SetScreenSize(int w, int h) { screen_ = {w, h}; }
  bool AlbumMode() const { return albumMode_; }

  // Loads an album without a dialog (the explorer, Get slides); asks before discarding.
  bool OpenAlbumFile(const std::string& path, bool askDiscard = true);
  // Selection: the views and core agree after every call.
  void SelectRows(const std::vector<int>& rows);

  // Commands (menu slots).
  void mnuNewClick();
  void mnuOpenClick();
  void mnuSaveAsClick();
  void mnuAddClick();
  void mnuInsertClick();
  void mnuInsertCdClick();
  void mnuCutClick();
  void mnuRelocateClick();
  void mnuSelectAllClick();
  void mnuInvertClick();
  void mnuSelectIndexClick();
  void mnuAlbumModeClick();
  void mnuViewClick();
  void mnuPropertiesClick();
  void mnuDeleteClick();
  void mnuMoveClick();
  void mnuCopyClick();
  void mnuGetClick();
  // The tool bar's Move: moves with Shift held, else copies.
  void btnMoveClick();
  void mnuRunClick();
  void mnuBackcolorClick();
  void mnuEffectClick();
  void mnuWaitClick();
  void mnuZoomClick();
  void mnuGammaClick();
  void mnuRotateClick();
  void mnuPositionClick();
  void mnuPanelClick();
  void mnuCommentClick();
  void mnuDetailsClick();
  void mnuIconsClick();
  void mnuCloseClick();
  void mnuColumnsAllClick();
  void mnuColumnsSlideClick();
  void mnuColumnsImageClick();
  void mnuToolBarClick();
  void mnuStatusBarClick();
  void mnuPropertiesBoxClick();
  void mnuButtonTextClick();
  // 0 all properties, 1 slide properties only, 2 image properties only.
  int ColumnSet() const { return columnSet_; }
  // Files dropped on the window: appended, the last dropped first.
  void AddDropped(const std::vector<std::string>& paths);
  // A list handed over (the viewer's bookmarks): appended in its own order.
  void AddList(const std::vector<std::string>& paths);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenus();
  void BuildViews();
  void PullSelection();
  void PushSelection();
  void Refresh(bool reset);
  void UpdateStatus();
  void UpdatePropertiesBox();
  void UpdateTitle();
  void UpdateEnabled();
  bool AskDiscard();
  void AddFiles(const std::vector<std::string>& paths, AddMode mode);
  void RunProperty(SlideProperty p, const PropertyValue& v);
  void NumberProperty(SlideProperty p, const char* title, std::vector<int> presets);
  bool AskAvlAdvice();
  void OpenSlides(bool properties);
  void SourceFiles(bool move);
  void ColumnClicked(int column);
  void PropertyItemClicked(int row);
  void LoadSettings();
  void SaveSettings();
  std::string EffectName(int effect) const;
  std::vector<std::string> EffectNames() const;

  AlbumStore store_;
  AlbumDialogs& dialogs_;
  Ui& ui_;
  SettingsStore* settings_;
  VolumeSource* volumes_;
  AlbumHooks hooks_;
  ScreenSize screen_{1024, 768};
  TAlbumModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  QListView* icons_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QWidget* propBox_ = nullptr;
  QLabel* swatch_ = nullptr;
  QLabel* effectLabel_ = nullptr;
  QLabel* commentLabel_ = nullptr;
  QListWidget* propList_ = nullptr;
  QLabel* status_[4] = {};
  QToolBar* toolBar_ = nullptr;
  bool albumMode_ = false;
  int saveType_ = 1;
  int columnSet_ = 1;
  bool boxWanted_ = true;
  bool syncing_ = false;
};

// Opens (creating on first use) the album window of owner and brings it to the front. The
// window lives as owner's child, hidden when closed, and keeps its album meanwhile. settings
// (the program's store, outliving the window) keeps the "SControls7700" block.
TShowForm* ShowAlbumWindow(QWidget* owner, AlbumHooks hooks = {}, SettingsStore* settings = nullptr);

}  // namespace pelira
