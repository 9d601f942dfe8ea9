// The JPEG Text window driven through its menus, with the file dialogs faked and the boxes
// answered by a scripted Ui.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>
#include <filesystem>

#include "jpeg_tools/forms/comment_form.h"
#include "jpeg_tools/jpeg_text.h"
#include "platform/help.h"
#include "platform/scripted_ui.h"

using namespace pelira;

namespace {

struct Asked {
  QString title;
  QString folder;
};

class FakeDialogs : public CommentFormDialogs {
public:
  FakeDialogs(std::deque<QString>* answers, std::vector<Asked>* asked) : answers_(answers), asked_(asked) {}
  QString ChooseJpeg(QWidget*, const QString& title, const QString& folder) override {
    asked_->push_back({title, folder});
    if (answers_->empty()) return {};
    const QString a = answers_->front();
    answers_->pop_front();
    return a;
  }

private:
  std::deque<QString>* answers_;
  std::vector<Asked>* asked_;
};

QString Fixture(const QString& name) {
  return QString::fromUtf8(qgetenv("PELIRA_FIXTURES")) + "/jpeg_tools/" + name;
}

QByteArray Bytes(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

}  // namespace

class CommentFormTest : public QObject {
  Q_OBJECT

  std::deque<QString> answers;
  std::vector<Asked> asked;
  ScriptedUi ui;
  QTemporaryDir dir;

  std::unique_ptr<TCommentForm> MakeForm() {
    return std::make_unique<TCommentForm>(ui, std::make_unique<FakeDialogs>(&answers, &asked));
  }
  QString Copy(const QString& fixture, const QString& as) {
    const QString to = dir.path() + "/" + as;
    QFile::remove(to);
    QFile::copy(Fixture(fixture), to);
    QFile(to).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return to;
  }

private slots:
  void init() {
    answers.clear();
    asked.clear();
    ui.Clear();
  }

  void menusFromTheTable() {
    auto f = MakeForm();
    const std::pair<const char*, const char*> items[] = {
        {"mnuRead", "&Read"},           {"mnuAddText", "&Add text"},          {"mnuStrip", "&Strip"},
        {"mnuStripAll", "&All extra info"}, {"mnuStripComments", "&Comments only"}, {"mnuClose", "&Close"},
        {"mnuHelp", "&Help"}};
    for (const auto& [name, caption] : items) {
      QAction* a = f->Action(name);
      QVERIFY2(a, name);
      QCOMPARE(a->text(), QString(caption));
    }
    auto* strip = f->findChild<QMenu*>("mnuStrip");
    QVERIFY(strip);
    QCOMPARE(strip->actions().size(), 2);
    QCOMPARE(f->Action("mnuClose")->shortcut(), QKeySequence(Qt::Key_Escape));
    QCOMPARE(f->windowTitle(), QString("JPEG Text"));
    // The offscreen screen is 800 x 600: the small default.
    QCOMPARE(f->size(), QSize(320, 240));
    QCOMPARE(TCommentForm::DefaultSize(QSize(1920, 1080)), QSize(480, 270));
    QCOMPARE(TCommentForm::DefaultSize(QSize(1280, 959)), QSize(320, 240));
  }

  void readShowsLinesAndLabel() {
    auto f = MakeForm();
    f->show();
    const QString file = Copy("comment_then_exif.jpg", "Trip.JPG");
    answers.push_back(file);
    f->Action("mnuRead")->trigger();
    QCOMPARE(asked.size(), std::size_t{1});
    QCOMPARE(asked[0].title, QString(kReadTitle));
    const QStringList lines = f->Memo()->toPlainText().split('\n');
    QVERIFY(lines.contains("Make = Camera"));
    QCOMPARE(lines.last(), QString("line two"));
    QCOMPARE(f->CollectedLines().back(), std::string("line two"));
    QCOMPARE(f->windowTitle(), file);
    QVERIFY(f->InfoLabel()->text().startsWith("Size: 4354 bytes\nDate: "));
    QCOMPARE(f->Folder(), dir.path());
    QVERIFY(ui.Calls().empty());

    // Another name is not read: nothing changes.
    QVERIFY(!f->ReadJpegText(dir.path() + "/notes.txt"));
    QCOMPARE(f->Memo()->toPlainText().split('\n').last(), QString("line two"));

    // The Mac header warning heads the text box.
    QVERIFY(f->ReadJpegText(Copy("mac_header.jpg", "mac.jpg")));
    QCOMPARE(f->Memo()->toPlainText(), QString("\nWarning: Mac header found!\n\nMac note"));
  }

  void badFileShowsTheErrorAndCloses() {
    auto f = MakeForm();
    f->show();
    QByteArray cut = Bytes(Fixture("cam_le.jpg")).left(200);
    QFile out(dir.path() + "/cut.jpg");
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(cut);
    out.close();
    QVERIFY(!f->ReadJpegText(out.fileName()));
    QCOMPARE(ui.Texts(), std::vector<std::string>{"File has bad JPEG markers."});
    QVERIFY(!f->isVisible());
  }

  void addTextInsertsTheComment() {
    auto f = MakeForm();
    const QString file = Copy("base.jpg", "plain.jpg");
    const QByteArray before = Bytes(file);
    f->Memo()->setPlainText("Summer\nby the sea");
    answers.push_back(file);
    f->Action("mnuAddText")->trigger();
    QCOMPARE(asked.back().title, QString(kAddTitle));
    QVERIFY(ui.Calls().empty());
    QCOMPARE(Bytes(dir.path() + "/plain.bak"), before);
    JpegTextReport r;
    ReadJpegText(file.toStdString(), &r);
    QCOMPARE(r.commentLines, (std::vector<std::string>{"Summer", "by the sea"}));
    QCOMPARE(f->windowTitle(), file);

    // Again: the .bak exists; No leaves both files alone.
    const QByteArray once = Bytes(file);
    ui.Queue(Button::No);
    answers.push_back(file);
    f->Action("mnuAddText")->trigger();
    QCOMPARE(ui.Calls().size(), std::size_t{1});
    QVERIFY(QString::fromStdString(ui.Calls()[0].text).endsWith(" exists.\nOrignal file is copied to *.bak.\nOverwrite *.bak file?"));
    QCOMPARE(Bytes(file), once);
    QCOMPARE(Bytes(dir.path() + "/plain.bak"), before);
  }

  void tooMuchTextIsRefusedBeforeAnyFile() {
    auto f = MakeForm();
    f->Memo()->setPlainText(QString(32001, 'x'));
    f->Action("mnuAddText")->trigger();
    QVERIFY(asked.empty());
    QCOMPARE(ui.Texts(), std::vector<std::string>{"Comment too large; limit text to 32000 characters."});
    QCOMPARE(ui.Calls()[0].kind, MessageKind::Warning);
  }

  void stripReportsWhatWentAway() {
    auto f = MakeForm();
    const QString file = Copy("extras.jpg", "x.jpg");
    answers.push_back(file);
    f->Action("mnuStripComments")->trigger();
    QCOMPARE(asked.back().title, QString(kStripCommentsTitle));
    QCOMPARE(ui.Texts().back(), std::string("Comments removed:9 bytes"));
    ui.Queue(Button::Yes);
    answers.push_back(file);
    f->Action("mnuStripAll")->trigger();
    QCOMPARE(asked.back().title, QString(kStripAllTitle));
    QCOMPARE(ui.Texts().back(), std::string("Extra info removed:56 bytes"));
    answers.push_back(file);
    f->Action("mnuStripComments")->trigger();
    QCOMPARE(ui.Texts().back(), std::string("No Comments found.\nFile unchanged."));
    QCOMPARE(ui.Calls().back().kind, MessageKind::Information);
    // A cancelled choice does nothing.
    const std::size_t boxes = ui.Calls().size();
    f->Action("mnuStripAll")->trigger();
    QCOMPARE(ui.Calls().size(), boxes);
  }

  void escapeHidesAndKeepsTheBounds() {
    auto f = MakeForm();
    f->show();
    f->setGeometry(50, 60, 400, 300);
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    const QRect bounds = f->geometry();
    QTest::keyClick(f.get(), Qt::Key_Escape);
    QVERIFY(!f->isVisible());
    f->show();
    QCOMPARE(f->geometry(), bounds);
    f->close();
    QVERIFY(!f->isVisible());
  }

  void helpShowsTheWindowsPage() {
    RecordingHelpViewer help;
    Help::SetViewer(&help);
    auto f = MakeForm();
    f->Action("mnuHelp")->trigger();
    Help::SetViewer(nullptr);
    QCOMPARE(help.Contexts(), std::vector<int>{kJpegTextHelpContext});
  }

  void showCommentWindowMakesOneWindow() {
    ScopedUi scoped(ui);
    QWidget owner;
    const QString file = Copy("cam_le.jpg", "cam.jpg");
    TCommentForm* a = ShowCommentWindow(&owner, file, "16 x 8");
    QVERIFY(a && a->isVisible());
    QVERIFY(a->Memo()->toPlainText().contains("XResolution = 72/1"));
    QVERIFY(a->InfoLabel()->text().endsWith("\nView: 16 x 8"));
    a->close();
    TCommentForm* b = ShowCommentWindow(&owner);
    QCOMPARE(a, b);
    QVERIFY(b->isVisible());
    // The viewer's I&nfo: the same window, its information text as the label.
    TCommentForm* c = ShowJpegInfoWindow(&owner, Copy("exif_then_comment.jpg", "c.jpg"), "Date: x\r\nSize: 4359 bytes");
    QCOMPARE(c, a);
    QCOMPARE(c->InfoLabel()->text(), QString("View: Date: x\r\nSize: 4359 bytes"));
    QCOMPARE(c->CollectedLines().back(), std::string("After EXIF"));
  }
};

QTEST_MAIN(CommentFormTest)
#include "comment_form_test.moc"
