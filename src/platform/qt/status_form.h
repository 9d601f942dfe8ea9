#pragma once
// TStatusForm: the progress box of long operations (explorer, album, batch tools). A small
// modeless window titled with the operation: a status line, two labelled bars and "&Cancel".
//
// Ownership: the operation owns the box (OpenProgress hands it a unique_ptr) and destroying it
// closes it. The box has no QObject parent, so nothing that runs while the operation pumps
// can delete it under the operation's feet.
#include <QDialog>
#include <QString>

#include "platform/progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace pelira {

class TStatusForm : public QDialog, public Progress {
  Q_OBJECT
public:
  // placeNear: the window the box is centred on and kept above; it does not own the box.
  explicit TStatusForm(const QString& title, QWidget* placeNear = nullptr);
  ~TStatusForm() override;

  // Shows the box and sets CriticalProcess.
  void Open();
  // Hides the box, clears CriticalProcess and gives back the normal cursor.
  void Close();
  bool IsOpen() const { return open_; }

  void Pump() override;
  void SetStatus(const std::string& text) override;
  void SetBarLabel(ProgressBar bar, const std::string& text) override;
  void SetBar(ProgressBar bar, std::int64_t position, std::int64_t max) override;

  // The status text before eliding.
  QString StatusText() const;
  QLabel* StatusLine() const;
  QLabel* BarLabel(ProgressBar bar) const { return labels_[Index(bar)]; }
  QProgressBar* Bar(ProgressBar bar) const { return bars_[Index(bar)]; }
  QPushButton* CancelButton() const { return cancel_; }

protected:
  // Esc and the title bar's close button ask the operation to stop; the box stays until the
  // operation ends, since CriticalProcess must hold as long as the operation runs.
  void reject() override;

private:
  static int Index(ProgressBar bar) { return bar == ProgressBar::Thumbs ? 0 : 1; }
  void CancelClicked();
  void RepaintStatus();

  class StatusLineLabel;
  StatusLineLabel* status_ = nullptr;
  QLabel* labels_[2] = {nullptr, nullptr};
  QProgressBar* bars_[2] = {nullptr, nullptr};
  QPushButton* cancel_ = nullptr;
  QWidget* placeNear_ = nullptr;
  bool open_ = false;
  bool busyCursor_ = false;
};

}  // namespace pelira
