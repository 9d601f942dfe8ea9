#pragma once
// TFileForm: the explorer window. A folder tree on the left, the current folder's list on the
// right (thumbnails, large icons, list or details over one virtual model), a path box, a tool
// bar and a status bar. It lists, sorts and opens through the explorer core and does file
// operations through it; pictures go to the viewer through ExplorerHooks. Menus, keys and tool
// buttons come from one table; dialogs from one ExplorerDialogs.
#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "explorer/folder_comments.h"
#include "explorer/listing.h"
#include "explorer/visit_history.h"

class QAbstractItemView;
class QAction;
class QComboBox;
class QFileSystemModel;
class QItemSelectionModel;
class QLabel;
class QListView;
class QSplitter;
class QStackedWidget;
class QTimer;
class QToolBar;
class QTreeView;

namespace pelira {

class ExplorerDialogs;
class FolderMonitor;
class MenuBuilder;
class SettingsStore;
class Shell;
class TFileListModel;
class ThumbnailSource;
class Ui;

// What the explorer asks of the rest of the program; each may be left empty.
struct ExplorerHooks {
  // Show the first file in the viewer and append the rest to its bookmark list.
  std::function<void(const std::vector<std::string>& paths)> openInViewer;
  std::function<void(const std::string& path)> openBatchScript;  // the batch editor
  std::function<void(const std::string& path)> openAlbum;        // the album window loads it
  std::function<void(const std::string& path)> openArchive;      // the UnZipper
  // The album window takes these files as a new album (Slide album, Recursive listing).
  std::function<void(const std::vector<std::string>& paths)> albumOf;
  // The viewer loads this bookmark file and plays it (Instant slideshow).
  std::function<void(const std::string& plpPath)> playSlideshow;
  std::function<void()> showViewer;  // Tools > Viewer
  std::function<void()> showAlbum;   // Tools > Slide Album
  // Whether the viewer plays sound and video (they then open there too).
  std::function<bool()> playsMedia;
};

enum class ExplorerView : int { Thumbnails = 0, LargeIcons = 1, List = 2, Details = 3 };

class TFileForm : public QMainWindow {
  Q_OBJECT
 public:
  // dialogs, ui, shell and monitor outlive the window; settings and thumbnails may be null.
  TFileForm(ExplorerDialogs& dialogs, Ui& ui, Shell& shell, FolderMonitor& monitor, QWidget* parent = nullptr,
            SettingsStore* settings = nullptr);
  ~TFileForm() override;

  void SetHooks(ExplorerHooks hooks) { hooks_ = std::move(hooks); }
  void SetThumbnails(ThumbnailSource* source);

  // Makes folder current: listed, watched, recorded in the history (unless record is false).
  // False (with the not-accessible warning) when it cannot be read; the old folder stays.
  bool SetFolder(const std::string& folder, bool record = true);
  const std::string& Folder() const { return listing_.Folder(); }
  Listing& CurrentListing() { return listing_; }
  const VisitHistory& History() const { return history_; }
  FolderComments& Comments() { return comments_; }

  TFileListModel* Model() const { return model_; }
  QListView* IconView() const { return icons_; }
  QTreeView* DetailsView() const { return details_; }
  QTreeView* FolderTree() const { return tree_; }
  QComboBox* PathBox() const { return pathBox_; }
  QToolBar* ToolBar() const { return toolBar_; }
  QLabel* StatusPanel(int i) const { return status_[i]; }
  QAction* Action(const char* objectName) const;
  // The view that shows the list now.
  QAbstractItemView* ActiveView() const;
  ExplorerView View() const { return view_; }

  // Selection by display rows; the views and core agree after every call.
  void SelectRows(const std::vector<int>& rows);
  std::vector<int> SelectedRows();

  // One tick of the folder monitor (the timer runs it every 1333 ms).
  void MonitorTick();
  // Brings the list up to date with the disk, keeping selection and order.
  void Revalidate();

  // Commands (menu slots).
  void mnuOpenClick();
  void mnuCopyToClick();
  void mnuMoveToClick();
  void mnuDeleteClick();
  void mnuDeletePermanentClick();
  void mnuRenameClick();
  void mnuNewFolderClick();
  void mnuCommentClick();
  void mnuSelectAllClick();
  void mnuSelectFilesClick();
  void mnuSelectImagesClick();
  void mnuInvertClick();
  void mnuFindClick();
  void mnuQueryCommentsClick();
  void mnuRefreshClick();
  void mnuBackClick();
  void mnuForwardClick();
  void mnuUpClick();
  void mnuHistoryClick();
  void mnuRecentClick();
  void mnuRecentAddClick();
  void mnuRecentKillClick();
  void mnuGoToClick();
  void mnuFolderSizeClick();
  void mnuInfoClick();
  // The folder tree's pop-up menu: on the tree's current folder.
  void mnuTreeDeleteClick();
  void mnuTreeRenameClick();
  void mnuTreeCopyClick();
  void mnuTreeMoveClick();
  void mnuTreeFirstChildClick();
  void mnuRedoThumbsClick();
  void mnuInstantSlideshowClick();
  void mnuSlideAlbumClick();
  void mnuRecursiveListingClick();
  void SetView(ExplorerView view);
  void SortBy(SortKey key);
  // Files dropped on the list: copied (moved with move, linked with link) into the folder.
  void DropFiles(const std::vector<std::string>& paths, Qt::DropAction action);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildViews();
  void Relist(bool keepSelection);
  void PushSelection();
  void UpdateStatus();
  void OpenRows(const std::vector<int>& rows);
  void Transfer(bool move);
  void TransferItems(bool move, const std::vector<std::filesystem::path>& sources, const std::vector<std::string>& names);
  std::string TreeFolder() const;
  void DeleteRows(bool permanent);
  bool RenameRow(int row, const std::string& name);
  void HeaderClicked(int section);
  void ShowErrors(const std::vector<std::string>& errors);
  std::vector<std::string> WalkFiles(const std::string& titleWord, bool recursive, bool& aborted);
  void LoadSettings();
  void SaveSettings();
  void Guarded(const std::function<void()>& command);

  ExplorerDialogs& dialogs_;
  Ui& ui_;
  Shell& shell_;
  FolderMonitor& monitor_;
  SettingsStore* settings_;
  ThumbnailSource* thumbs_ = nullptr;
  ExplorerHooks hooks_;
  Listing listing_;
  FolderComments comments_;
  VisitHistory history_;
  std::unique_ptr<MenuBuilder> menus_;
  TFileListModel* model_ = nullptr;
  QItemSelectionModel* selection_ = nullptr;
  QFileSystemModel* fsModel_ = nullptr;
  QTreeView* tree_ = nullptr;
  QListView* icons_ = nullptr;
  QTreeView* details_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QComboBox* pathBox_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QLabel* status_[3] = {};
  QTimer* tick_ = nullptr;
  ExplorerView view_ = ExplorerView::Thumbnails;
  int thumbStep_ = 8;
  int transit_ = 0;
  bool paused_ = false;
  bool syncing_ = false;
  bool sortUp_[3] = {true, true, true};
  bool confirmDeletions_ = true;
  bool autoRefresh_ = true;
};

// Opens (creating on first use) the explorer window of owner and brings it to the front. The
// window lives as owner's child, hidden when closed, and keeps its folder meanwhile. settings
// (the program's store, outliving the window) keeps "EControls7700" and "ExploreDir".
TFileForm* ShowExplorerWindow(QWidget* owner, ExplorerHooks hooks = {}, SettingsStore* settings = nullptr);

}  // namespace pelira
