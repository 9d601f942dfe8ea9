// The album window driven through its menu actions with fake dialogs and scripted message
// boxes: add, insert, cut, a property, save, reopen, album mode and the views' rows.
#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTemporaryDir>
#include <deque>
#include <fstream>

#include "album/album_add.h"
#include "album/album_files.h"
#include "album/album_thumbs.h"
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

// Pictures are real ones (Check thumbs after an add reads them); other kinds hold a few bytes.
std::string MakeFile(const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  const QString fixtures = qEnvironmentVariable("PELIRA_FIXTURES");
  const QString source = path.endsWith(".jpg") ? fixtures + "/thumbs/photo_400x300.jpg"
                         : path.endsWith(".png") ? fixtures + "/codecs/png/gray1.png"
                                                 : QString();
  if (!source.isEmpty()) {
    QFile::remove(path);
    QFile::copy(source, path);
  } else {
    std::ofstream(path.toStdString()) << "data";
  }
  return path.toStdString();
}

// A 24-bit BMP of w x h, every pixel of one colour.
std::string MakeBmp(const QString& path, int w, int h, QRgb colour) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QImage img(w, h, QImage::Format_RGB888);
  img.fill(colour);
  img.save(path, "BMP");
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

  void thumbnailsArriveInTheIconView() {
    // Slides added straight to the store: nothing is made until the view asks.
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i)
      paths.push_back(MakeBmp(files_.path() + QString("/t/p%1.bmp").arg(i), 40 + i, 30, qRgb(200, 10 * i, 0)));
    paths.push_back(MakeFile(files_.path() + "/t/broken.jpg"));
    std::ofstream(paths.back()) << "not a jpeg";
    paths.push_back(MakeFile(files_.path() + "/t/song.mp3"));
    AddRequest req;
    req.paths = paths;
    req.mode = AddMode::InOrder;
    AddSlides(form_->Store(), req);
    form_->Model()->Reset();
    form_->show();
    form_->Action("mnuIcons")->trigger();
    QCOMPARE(form_->StatusPanel(0)->text().left(7), QString("Thumbs:"));
    // The results come back to this thread as the workers finish them.
    QTRY_VERIFY_WITH_TIMEOUT(!form_->ThumbsRunning(), 20000);
    QVERIFY(form_->ThumbsComplete());
    QCOMPARE(form_->StatusPanel(0)->text(), QString("Ready"));
    for (int i = 0; i < 12; ++i) {
      const SlideRecord& r = form_->Store().At(static_cast<std::size_t>(i));
      QCOMPARE(r.thumbState, kThumbDone);
      QCOMPARE(int(r.width), 40 + i);
      // The view draws the stored thumbnail: the picture's colour inside the margin, white outside.
      const QIcon icon = form_->Model()->index(i, kColFilename).data(Qt::DecorationRole).value<QIcon>();
      const QImage drawn = icon.pixmap(QSize(168, 126)).toImage();
      QCOMPARE(drawn.size(), QSize(168, 126));
      QCOMPARE(QColor(drawn.pixel(84, 63)), QColor(200, 10 * i, 0));
      QCOMPARE(QColor(drawn.pixel(0, 0)), QColor(Qt::white));
    }
    QCOMPARE(form_->Store().At(12).thumbState, kThumbFailed);
    QCOMPARE(form_->Store().At(13).thumbState, kThumbDone);  // the kind's shared icon
    // Redo: nothing selected says so; a selected slide is made again.
    form_->SelectRows({});
    form_->Action("mnuRedoThumbs")->trigger();
    QCOMPARE(ui_->Texts().back(), std::string(kRedoNoSelectionText));
    form_->SelectRows({3});
    SlideRecord& three = form_->Store().MutableAt(3);
    const auto file = SlideThumbPath(form_->Store(), three, form_->Cache()).file;
    QVERIFY(std::filesystem::exists(file));
    form_->Action("mnuRedoThumbs")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!form_->ThumbsRunning(), 20000);
    QCOMPARE(form_->Store().At(3).thumbState, kThumbDone);
    QVERIFY(std::filesystem::exists(file));
    // Info names the cache and counts its files; Kill all asks, then empties it.
    form_->Action("mnuCacheInfo")->trigger();
    QVERIFY(ui_->Texts().back().find("pl00F846.thd\n") != std::string::npos);
    const CacheInfo info = form_->Cache().Info();
    QVERIFY(info.files >= 17);  // 12 pictures, the MP3 icon and 4 placeholders (earlier tests add more)
    QVERIFY(ui_->Texts().back().find(std::to_string(info.files) + " files") != std::string::npos);
    ui_->Queue(Button::Cancel);
    form_->Action("mnuKillAll")->trigger();
    QCOMPARE(ui_->Texts().back(), std::string("Delete thumbnail cache of ALL VISITED FOLDERS?"));
    QVERIFY(std::filesystem::exists(file));
    ui_->Queue(Button::OK);
    form_->Action("mnuKillAll")->trigger();
    QVERIFY(!std::filesystem::exists(file));
    QCOMPARE(form_->Store().At(3).thumbState, kThumbPending);
    QVERIFY(form_->DetailsView()->isVisible());
  }

  void checkThumbsAfterAddSelectsTheFailures() {
    const std::string good = MakeFile(files_.path() + "/c/good.jpg");
    const std::string bad = MakeFile(files_.path() + "/c/bad.png");
    std::ofstream(bad) << "not a png";
    dialogs_->slides.push_back({good, bad});
    ui_->Queue(Button::No);
    form_->Action("mnuAdd")->trigger();
    QCOMPARE(ui_->Texts().back(),
             std::string("1 invalid thumbnails found; these items may interfere with\naccurate image matches and "
                         "ranks. Review and \"cut\" these\nitems from album (recommended).  Review/relocate selection?"));
    // Added from the last chosen: bad.png is first.
    QCOMPARE(form_->Store().At(0).thumbState, kThumbFailed);
    QCOMPARE(form_->Store().At(1).thumbState, kThumbDone);
    QCOMPARE(form_->Store().At(1).width, std::uint16_t(400));
    QCOMPARE(form_->StatusPanel(0)->text(), QString("Slide 1 of 2"));
    // Yes goes on to Relocate with the failed slide selected.
    ui_->Queue(Button::Yes);
    form_->Action("mnuCheckThumbs")->trigger();
    QCOMPARE(dialogs_->titles.back(), QString("Relocate selection(s) to Index#"));
  }

  void theToolsMenuHoldsTheThumbnailCommands() {
    QStringList captions;
    for (QAction* top : form_->menuBar()->actions()) {
      if (top->text() != "&Tools") continue;
      for (QAction* a : top->menu()->actions()) {
        captions << a->text();
        if (a->menu())
          for (QAction* b : a->menu()->actions()) captions << a->text() + ">" + b->text();
      }
    }
    QCOMPARE(captions, QStringList({"&Do thumbs", "&Stop thumbs", "Redo thum&bs", "Chec&k thumbs", "&Cache",
                                    "&Cache>&Info", "&Cache>&Kill all"}));
  }

  void closingStopsThumbnailing() {
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i) paths.push_back(MakeFile(files_.path() + QString("/s/p%1.jpg").arg(i)));
    AddRequest req;
    req.paths = paths;
    req.mode = AddMode::InOrder;
    AddSlides(form_->Store(), req);
    form_->Model()->Reset();
    form_->show();
    form_->Action("mnuDoThumbs")->trigger();
    QVERIFY(form_->ThumbsRunning());
    form_->close();
    QVERIFY(!form_->ThumbsRunning());
    QVERIFY(!form_->isVisible());
    // Whatever was still in flight is dropped, not applied to the records.
    QCoreApplication::processEvents();
    form_.reset();
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
