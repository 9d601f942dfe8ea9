// The album window driven through its menu actions with fake dialogs and scripted message
// boxes: add, insert, cut, a property, save, reopen, album mode and the views' rows.
#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <deque>
#include <fstream>

#include "album/album_files.h"
#include "album/forms/album_dialogs.h"
#include "album/forms/album_model.h"
#include "album/forms/show_form.h"
#include "platform/scripted_ui.h"
#include "platform/settings_store.h"

using namespace pelira;

namespace {

class FakeDialogs : public AlbumDialogs {
 public:
  std::deque<std::vector<std::string>> slides;
  std::deque<std::optional<std::string>> albums;
  std::deque<std::optional<AlbumSaveChoice>> saveNames;
  std::deque<std::optional<int>> numbers;
  std::deque<std::optional<std::string>> comments;
  std::vector<QString> titles;  // every dialog's title, in order
  std::vector<std::string> openedExternally;

  std::vector<std::string> ChooseSlides(QWidget*, const QString& title) override {
    titles.push_back(title);
    return Take(slides, {});
  }
  std::optional<std::string> ChooseAlbum(QWidget*) override { return Take(albums, std::nullopt); }
  std::optional<AlbumSaveChoice> ChooseSaveName(QWidget*, const std::string&, int) override {
    return Take(saveNames, std::nullopt);
  }
  std::optional<std::string> ChooseFolder(QWidget*, const QString& title) override {
    titles.push_back(title);
    return std::nullopt;
  }
  std::optional<int> AskNumber(QWidget*, const NumberQuestion& q) override {
    titles.push_back(q.title);
    return Take(numbers, std::nullopt);
  }
  std::optional<std::int32_t> ChooseColor(QWidget*, std::int32_t) override { return std::nullopt; }
  std::optional<int> ChooseEffect(QWidget*, const QString& title, const std::vector<std::string>&, int) override {
    titles.push_back(title);
    return Take(numbers, std::nullopt);
  }
  std::optional<std::pair<int, int>> AskPair(QWidget*, const PairQuestion&) override { return std::nullopt; }
  std::optional<std::string> AskComment(QWidget*, const std::string&) override { return Take(comments, std::nullopt); }
  bool OpenExternally(const std::string& path) override {
    openedExternally.push_back(path);
    return true;
  }
  void ShowFileInfo(QWidget*, const std::string&) override {}

 private:
  template <typename T>
  static T Take(std::deque<T>& q, std::type_identity_t<T> fallback) {
    if (q.empty()) return fallback;
    T v = std::move(q.front());
    q.pop_front();
    return v;
  }
};

std::string MakeFile(const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  std::ofstream(path.toStdString()) << "data";
  return path.toStdString();
}

}  // namespace

class ShowFormTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    QVERIFY(home_.isValid());
    qputenv("PELIRA_HOME", home_.path().toUtf8());
    ClearSilencedQuestions();
    dialogs_ = std::make_unique<FakeDialogs>();
    ui_ = std::make_unique<ScriptedUi>();
    form_ = std::make_unique<TShowForm>(*dialogs_, *ui_, nullptr, &settings_);
  }
  void cleanup() {
    form_.reset();
    ui_.reset();
    dialogs_.reset();
  }

  void addInsertCutAndTheViewsFollow() {
    const std::string a = MakeFile(files_.path() + "/a.jpg"), b = MakeFile(files_.path() + "/b.jpg"),
                      c = MakeFile(files_.path() + "/c.mp3");
    dialogs_->slides.push_back({a, b});
    form_->Action("mnuAdd")->trigger();
    QCOMPARE(dialogs_->titles.back(), QString("Add slide(s)"));
    QCOMPARE(form_->Model()->rowCount(), 2);
    // Added from the last chosen to the first.
    QCOMPARE(form_->Model()->index(0, kColFilename).data().toString(), QString("b"));
    QCOMPARE(form_->IconView()->model()->rowCount(), 2);
    QCOMPARE(form_->StatusPanel(0)->text(), QString("2 object(s)"));

    form_->SelectRows({1});
    dialogs_->slides.push_back({c});
    form_->Action("mnuInsert")->trigger();
    QCOMPARE(form_->Model()->index(1, kColFilename).data().toString(), QString("c"));
    QCOMPARE(form_->Model()->index(1, kColBackcolor).data().toString(), QString(" --- "));

    form_->SelectRows({0, 2});
    QCOMPARE(form_->StatusPanel(0)->text(), QString("2 object(s) selected"));
    form_->Action("mnuCut")->trigger();
    QCOMPARE(form_->Model()->rowCount(), 1);
    QCOMPARE(form_->Store().Records().size(), std::size_t(3));
    QVERIFY(form_->Store().Modified());

    // Cut with nothing selected says so.
    form_->SelectRows({});
    form_->Action("mnuCut")->trigger();
    QCOMPARE(ui_->Texts().back(), std::string(kNoSelectionText));
  }

  void propertiesSaveAndReopen() {
    const std::string a = MakeFile(files_.path() + "/p/one.jpg"), b = MakeFile(files_.path() + "/p/two.png");
    dialogs_->slides.push_back({a, b});
    form_->Action("mnuAdd")->trigger();
    form_->SelectRows({0, 1});
    dialogs_->numbers.push_back(7);
    form_->Action("mnuWait")->trigger();
    QCOMPARE(dialogs_->titles.back(), QString("Slide wait (seconds)"));
    QCOMPARE(form_->Model()->index(0, kColWait).data().toString(), QString("7"));
    QCOMPARE(form_->Model()->index(1, kColWait).data().toString(), QString("7"));
    dialogs_->numbers.push_back(10);
    form_->Action("mnuEffect")->trigger();
    QCOMPARE(dialogs_->titles.back(), QString("Select from 173 Transitions Effects"));
    QCOMPARE(form_->Model()->index(1, kColEffect).data().toString(), QString("10"));
    form_->SelectRows({1});
    dialogs_->comments.push_back(std::string("harbour, evening"));
    form_->Action("mnuComment")->trigger();
    QCOMPARE(form_->PropertiesList()->item(2)->text(), QString("Wait: 7 second(s)"));

    // A name with a comma is refused and the dialog comes back; the extension is put on.
    const std::string path = (files_.path() + "/trip").toStdString();
    dialogs_->saveNames.push_back(AlbumSaveChoice{path + ",x", 2});
    dialogs_->saveNames.push_back(AlbumSaveChoice{path, 2});
    form_->Action("mnuSaveAs")->trigger();
    QCOMPARE(ui_->Texts().front(), std::string(kBadFileNameText));
    QVERIFY(QFileInfo::exists(QString::fromStdString(path + ".avl")));
    QVERIFY(!form_->Store().Modified());
    QCOMPARE(form_->windowTitle(), QString("trip.avl - Pelira 7.7 Slide Album"));

    // Saving over it asks first.
    ui_->Clear();
    ui_->Queue(Button::Cancel);
    dialogs_->saveNames.push_back(AlbumSaveChoice{path + ".avl", 2});
    form_->Action("mnuSaveAs")->trigger();
    QCOMPARE(ui_->Texts().back(), std::string("trip.avl exists.\nOverwrite?"));

    // A second window reads it back.
    FakeDialogs d2;
    ScriptedUi ui2;
    TShowForm other(d2, ui2);
    d2.albums.push_back(path + ".avl");
    other.Action("mnuOpen")->trigger();
    QCOMPARE(other.Model()->rowCount(), 2);
    QCOMPARE(other.Model()->index(1, kColComment).data().toString(), QString("harbour, evening"));
    QCOMPARE(other.Model()->index(0, kColWait).data().toString(), QString("7"));

    // Open on a non-empty album asks before the dialog; Cancel keeps the album.
    ui2.Queue(Button::Cancel);
    other.Action("mnuOpen")->trigger();
    QCOMPARE(ui2.Texts().back(), std::string("Discard slideshow/album?"));
    QCOMPARE(other.Model()->rowCount(), 2);

    // New on a modified album asks; OK clears.
    ui2.Queue(Button::OK);
    other.Action("mnuNew")->trigger();
    QCOMPARE(other.Model()->rowCount(), 0);
    QCOMPARE(other.windowTitle(), QString("Pelira 7.7 Slide Album"));
  }

  void albumModeSwitchesViewsAndCommands() {
    QVERIFY(!form_->Action("mnuDelete")->isEnabled());
    QVERIFY(form_->Action("mnuWait")->isVisible());
    QVERIFY(!form_->DetailsView()->isColumnHidden(kColWait));
    QVERIFY(form_->DetailsView()->isColumnHidden(kColCrc));
    form_->Action("mnuAlbumMode")->trigger();
    QVERIFY(form_->AlbumMode());
    QVERIFY(form_->Action("mnuDelete")->isEnabled());
    QVERIFY(!form_->Action("mnuWait")->isVisible());
    QVERIFY(form_->DetailsView()->isColumnHidden(kColWait));
    QVERIFY(!form_->DetailsView()->isColumnHidden(kColCrc));
    form_->Action("mnuColumnsAll")->trigger();
    QVERIFY(!form_->DetailsView()->isColumnHidden(kColWait));
    QVERIFY(!form_->DetailsView()->isColumnHidden(kColCrc));
    QVERIFY(form_->Action("mnuColumnsAll")->isChecked());
  }

  void closingHidesAndStoresTheSettings() {
    form_->show();
    form_->close();
    QVERIFY(!form_->isVisible());
    const auto stored = settings_.Read("SControls7700");
    QVERIFY(stored.has_value());
    QCOMPARE(stored->size(), std::size_t(88));
    // The next window comes back with the switches as they were.
    form_->Action("mnuStatusBar")->trigger();
    form_->close();
    TShowForm again(*dialogs_, *ui_, nullptr, &settings_);
    QVERIFY(!again.Action("mnuStatusBar")->isChecked());
    QVERIFY(again.Action("mnuToolBar")->isChecked());
  }

  void showAlbumWindowKeepsOneWindowPerOwner() {
    QWidget owner;
    TShowForm* first = ShowAlbumWindow(&owner);
    QVERIFY(first != nullptr);
    QVERIFY(first->isVisible());
    QVERIFY(first->isWindow());
    first->close();
    QVERIFY(!first->isVisible());
    QCOMPARE(ShowAlbumWindow(&owner), first);  // the same window, with its album
    QVERIFY(first->isVisible());
  }

  void aHundredThousandSlidesOpenAtOnce() {
    // Rows come from the store on demand: the views ask only for what they show.
    AlbumStore& s = form_->Store();
    AddRequest req;
    req.mode = AddMode::InOrder;
    for (int i = 0; i < 100000; ++i) req.paths.push_back("/nowhere/f" + std::to_string(i) + ".jpg");
    AddSlides(s, req);
    form_->Model()->Reset();
    form_->show();
    QCoreApplication::processEvents();
    QCOMPARE(form_->DetailsView()->model()->rowCount(), 100000);
    form_->DetailsView()->scrollToBottom();
    QCoreApplication::processEvents();
    QCOMPARE(form_->DetailsView()->indexAt(QPoint(5, 5)).isValid(), true);
  }

 private:
  QTemporaryDir home_, files_;
  MemorySettingsStore settings_;
  std::unique_ptr<FakeDialogs> dialogs_;
  std::unique_ptr<ScriptedUi> ui_;
  std::unique_ptr<TShowForm> form_;
};

QTEST_MAIN(ShowFormTest)
#include "show_form_test.moc"
