#pragma once
// Every dialog the viewer window opens, behind one interface it is handed: the Qt dialogs by
// default (QtViewerDialogs), a fake in tests. The engine's dialogs (sliders, previews, the
// histogram, the JPEG wizard's file) come through the same object.
#include <QStringList>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/dialogs/engine_dialogs.h"

namespace pelira {

class TListDlg;
class TResizeForm;
struct SaveChoice;
struct SaveDialogSetup;

class ViewerDialogs : public EngineDialogs {
public:
  // "&Open": the chosen files, empty on cancel.
  virtual QStringList OpenFiles(QWidget* parent, const QString& folder, const QString& filter) = 0;
  // "&Save as": the choice, none on cancel.
  virtual std::optional<SaveChoice> SaveAs(QWidget* parent, const SaveDialogSetup& setup) = 0;
  // The bookmark list file to save (save) or load: empty on cancel.
  virtual QString BookmarkFile(QWidget* parent, bool save, const QString& folder) = 0;
  // Runs the bookmark list dialog: true when accepted.
  virtual bool RunListDialog(TListDlg& dialog) = 0;
  // Runs the "Custom Viewport" size dialog: true when accepted.
  virtual bool RunViewportDialog(TResizeForm& dialog) = 0;
  // Tools › Associations: the items kept (list positions, in list order), none on cancel.
  virtual std::optional<std::vector<std::size_t>> ChooseAssociations(QWidget* parent, const QString& caption,
                                                                     const std::vector<std::string>& items) = 0;
  // The program (or desktop entry) a kind should open with: empty on cancel.
  virtual QString AssociatedApp(QWidget* parent, const QString& caption) = 0;
};

class QtViewerDialogs : public QtEngineDialogsOf<ViewerDialogs> {
public:
  QStringList OpenFiles(QWidget* parent, const QString& folder, const QString& filter) override;
  std::optional<SaveChoice> SaveAs(QWidget* parent, const SaveDialogSetup& setup) override;
  QString BookmarkFile(QWidget* parent, bool save, const QString& folder) override;
  bool RunListDialog(TListDlg& dialog) override;
  bool RunViewportDialog(TResizeForm& dialog) override;
  std::optional<std::vector<std::size_t>> ChooseAssociations(QWidget* parent, const QString& caption,
                                                             const std::vector<std::string>& items) override;
  QString AssociatedApp(QWidget* parent, const QString& caption) override;
};

}  // namespace pelira
