#pragma once
// The batch editor: a tool window holding the script text. Viewer commands append their
// recorded lines here once the window has been activated; Perform hands the lines to the
// viewer's interpreter.
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "edit/edit_host.h"

class QAction;
class QPlainTextEdit;

namespace pelira {

class TBatchForm : public QWidget, public ScriptRecorder {
  Q_OBJECT
public:
  // The file dialogs: the chosen path, empty on cancel. Tests replace them.
  using FileDialog = std::function<QString(QWidget* parent, const QString& title, const QString& folder,
                                           const QString& name)>;
  explicit TBatchForm(QWidget* parent = nullptr);

  static void SetOpenDialog(FileDialog d);
  static void SetSaveDialog(FileDialog d);
  // What Perform runs: the viewer's script run over these lines.
  void SetPerform(std::function<void(const std::vector<std::string>&)> perform) { perform_ = std::move(perform); }
  // Called whenever Close hides the window, so its bounds can be kept.
  void SetOnHide(std::function<void()> onHide) { onHide_ = std::move(onHide); }

  // ScriptRecorder: appends while recording is on.
  void RecordScriptLine(const std::string& line) override;
  void AppendLines(const std::vector<std::string>& lines) override;

  bool Recording() const { return recording_; }
  void StartRecording() { recording_ = true; }
  std::vector<std::string> Lines() const;
  void SetText(const QString& text);
  QPlainTextEdit* Editor() const { return memo_; }
  QAction* Action(const QString& name) const;
  const QString& BipFolder() const { return bipFolder_; }
  const QString& BipFileName() const { return bipFileName_; }
  void SetBipFolder(const QString& folder, const QString& name);
  // True when the text holds changes that no BIP file has.
  bool Unsaved() const;

  // --- commands -----------------------------------------------------------------------------
  void mnuNewClick();
  void mnuOpenClick();
  bool mnuSaveClick();
  void mnuPerformClick();
  void OpenBIPfile(const QString& path);
  // Asked before the text goes away (application end): false keeps it.
  bool CloseQuery();

protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

private:
  bool LoadFile(const QString& path);
  void TextChanged();

  QPlainTextEdit* memo_ = nullptr;
  QAction* save_ = nullptr;
  QAction* perform_a_ = nullptr;
  std::function<void(const std::vector<std::string>&)> perform_;
  std::function<void()> onHide_;
  QString bipFolder_;
  QString bipFileName_;
  bool recording_ = false;
  bool dirty_ = false;
};

}  // namespace pelira
