#pragma once
// The "JPEG Text" window (TCommentForm): a file's EXIF lines and comment text, a comment to
// insert into a file, and the two strips. The work is done by the core calls of
// jpeg_tools/jpeg_text.h and jpeg_tools/jpeg_file_edits.h; the window asks for files through
// CommentFormDialogs and shows boxes through the platform Ui.
#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QPlainTextEdit;

namespace pelira {

class Ui;

// Every dialog the window opens. Tests hand in a fake.
class CommentFormDialogs {
public:
  virtual ~CommentFormDialogs() = default;
  // A JPEG to work on, starting in folder; empty when the user cancels.
  virtual QString ChooseJpeg(QWidget* parent, const QString& title, const QString& folder) = 0;
};

// The file chooser: filter "JPG (JPEG/JFIF)" (*.jpg), default extension "jpg".
class QtCommentFormDialogs : public CommentFormDialogs {
public:
  QString ChooseJpeg(QWidget* parent, const QString& title, const QString& folder) override;
};

inline constexpr const char* kReadTitle = "Select JPEG file to read.";
inline constexpr const char* kAddTitle = "Select file to insert JPEG comments. (Original will be copied to *.bak.)";
inline constexpr const char* kStripCommentsTitle =
    "Select file to remove JPEG comments. (Original will be copied to *.bak.)";
inline constexpr const char* kStripAllTitle =
    "Select file to remove ALL extra info. (Original will be copied to *.bak.)";
// The help page of the window's "&Help".
inline constexpr int kJpegTextHelpContext = 0;

class TCommentForm : public QWidget {
  Q_OBJECT
public:
  TCommentForm(Ui& ui, std::unique_ptr<CommentFormDialogs> dialogs, QWidget* parent = nullptr);
  ~TCommentForm() override;

  // Fills the text box and the collected lines from fileName; answers whether EXIF data or a
  // comment was found. Names other than .jpg/.jpeg answer false and change nothing. A file
  // whose markers cannot be followed shows the error and closes the window.
  bool ReadJpegText(const QString& fileName);
  // Shows the window and reads fileName (the explorer's selected JPEG); view, when given,
  // ends the information label as "View: " + view.
  void OpenForFile(const QString& fileName, const QString& view = {});
  // The viewer's I&nfo for a JPEG: the window shows the file's collected lines under the
  // label "View: " + infoText (the viewer's information text).
  void ShowInfo(const QString& fileName, const QString& infoText);

  void mnuReadClick();
  void mnuAddTextClick();
  void mnuStripAllClick();
  void mnuStripCommentsClick();
  void mnuHelpClick();

  QPlainTextEdit* Memo() const { return memo_; }
  QLabel* InfoLabel() const { return info_; }
  QAction* Action(const QString& objectName) const;
  const std::vector<std::string>& CollectedLines() const { return collected_; }
  const QString& Folder() const { return folder_; }

  // A quarter of the screen when it is wider than 1279 and taller than 959 pixels, else 320 x 240.
  static QSize DefaultSize(const QSize& screen);

protected:
  void closeEvent(QCloseEvent* e) override;

private:
  void BuildMenus();
  QString Choose(const char* title);
  void Strip(bool allExtra);
  void SetLabelFor(const QString& fileName, const QString& view);

  Ui& ui_;
  std::unique_ptr<CommentFormDialogs> dialogs_;
  QPlainTextEdit* memo_ = nullptr;
  QLabel* info_ = nullptr;
  QString folder_;
  std::vector<std::string> collected_;
};

// Opens the one "JPEG Text" window of the program (made on first use, owned by owner) and,
// when file is given, reads it as the explorer's "open for a file" does. The viewer's
// Tools > "&JPEG" > "&Text" (Alt+J) calls it without a file.
TCommentForm* ShowCommentWindow(QWidget* owner, const QString& file = {}, const QString& view = {});
// The same window for the viewer's I&nfo on a JPEG (TCommentForm::ShowInfo).
TCommentForm* ShowJpegInfoWindow(QWidget* owner, const QString& file, const QString& infoText);

}  // namespace pelira
