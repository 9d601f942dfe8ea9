// MenuBuilder: a window's menu bar, context menu and own keys from one table of rows.
#include <QAction>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/qt/menu_table.h"

using namespace pelira;

class MenuTableTest : public QObject {
  Q_OBJECT

  std::vector<std::string> ran_;

  std::vector<MenuSpec> Rows() {
    using K = MenuKind;
    auto note = [this](const char* what) { return [this, what] { ran_.push_back(what); }; };
    return {
        {"mnuFile", "&File", {}, "", K::Submenu},
        {"mnuOpen", "&Open", QKeySequence(Qt::CTRL | Qt::Key_O), "mnuFile", K::Item, note("open"), {Qt::Key_O}},
        {"mnuPrint", "&Print", {}, "mnuFile"},
        {"", "", {}, "mnuFile", K::Separator},
        {"mnuRecent", "&Recent", {}, "mnuFile", K::Submenu},
        {"mnuRecent1", "&1", {}, "mnuRecent", K::Item, note("recent")},
        {"mnuView", "&View", {}, "", K::Submenu},
        {"mnuFit", "&Fit", {}, "mnuView", K::Check, note("fit")},
        {"mnuA", "&A", {}, "mnuView", K::Radio, note("a"), {}, KeyScope::Browsing, "aspect"},
        {"mnuB", "&B", {}, "mnuView", K::Radio, note("b"), {}, KeyScope::Browsing, "aspect"},
        {"keyZoom", "", {}, "mnuView", K::Hidden, note("zoom"), {Qt::KeypadModifier | Qt::Key_Plus}},
        {"mnuHelp", "&Help", {}, "mnuView", K::Item, note("help"), {Qt::Key_F1}, KeyScope::Always},
        {"mnuClose", "&Close", {}, "", K::Item, note("close")},
    };
  }

private slots:
  void init() { ran_.clear(); }

  void buildsMenusInOrderWithNamesCaptionsAndShortcuts() {
    QMainWindow w;
    MenuBuilder b(w);
    b.Build(w.menuBar(), Rows());
    QCOMPARE(b.TopMenus().size(), std::size_t{2});
    QMenu* file = w.findChild<QMenu*>("mnuFile");
    QVERIFY(file);
    QCOMPARE(file, b.Menu("mnuFile"));
    QStringList items;
    for (QAction* a : file->actions()) items << (a->isSeparator() ? "-" : a->objectName().isEmpty() ? a->text() : a->objectName());
    QCOMPARE(items, (QStringList{"mnuOpen", "mnuPrint", "-", "&Recent"}));
    QCOMPARE(b.Action("mnuOpen")->text(), QString("&Open"));
    QCOMPARE(b.Action("mnuOpen")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    QVERIFY(w.actions().contains(b.Action("mnuOpen")));  // shortcuts work with the bar hidden
    // A row without a command stands disabled; the hidden row is in no menu.
    QVERIFY(!b.Action("mnuPrint")->isEnabled());
    QVERIFY(b.Action("keyZoom"));
    QVERIFY(b.Action("keyZoom")->associatedObjects().size() == 1);  // the window only
    // An item without a parent stands on the menu bar itself.
    QVERIFY(w.menuBar()->actions().contains(b.Action("mnuClose")));

    b.Action("mnuRecent1")->trigger();
    QCOMPARE(ran_, std::vector<std::string>{"recent"});
  }

  void checkAndRadioRows() {
    QMainWindow w;
    MenuBuilder b(w);
    b.Build(w.menuBar(), Rows());
    QVERIFY(b.Action("mnuFit")->isCheckable());
    b.Action("mnuFit")->trigger();
    QVERIFY(b.Action("mnuFit")->isChecked());
    b.Action("mnuA")->trigger();
    QVERIFY(b.Action("mnuA")->isChecked());
    b.Action("mnuB")->trigger();
    QVERIFY(b.Action("mnuB")->isChecked());
    QVERIFY(!b.Action("mnuA")->isChecked());
    QCOMPARE(ran_, (std::vector<std::string>{"fit", "a", "b"}));
  }

  void windowKeysByScopeAndKeypad() {
    QMainWindow w;
    MenuBuilder b(w);
    b.Build(w.menuBar(), Rows());
    struct Case { int key; Qt::KeyboardModifiers mods; KeyScope scope; bool taken; const char* ran; };
    const Case cases[] = {
        {Qt::Key_O, Qt::NoModifier, KeyScope::Browsing, true, "open"},
        {Qt::Key_O, Qt::NoModifier, KeyScope::Always, false, nullptr},
        {Qt::Key_F1, Qt::NoModifier, KeyScope::Always, true, "help"},
        {Qt::Key_Plus, Qt::KeypadModifier, KeyScope::Browsing, true, "zoom"},
        {Qt::Key_Plus, Qt::NoModifier, KeyScope::Browsing, false, nullptr},  // wants the keypad's
        {Qt::Key_P, Qt::NoModifier, KeyScope::Browsing, false, nullptr},
    };
    for (const Case& c : cases) {
      ran_.clear();
      QKeyEvent e(QEvent::KeyPress, c.key, c.mods);
      QCOMPARE(b.RunKey(e, c.scope), c.taken);
      QCOMPARE(ran_, c.ran ? std::vector<std::string>{c.ran} : std::vector<std::string>{});
    }
  }

  void theRunnerWrapsItemsAndKeys() {
    QMainWindow w;
    int wrapped = 0;
    MenuBuilder b(w, [&](const std::function<void()>& command) {
      ++wrapped;
      command();
    });
    b.Build(w.menuBar(), Rows());
    b.Action("mnuOpen")->trigger();
    QKeyEvent e(QEvent::KeyPress, Qt::Key_O, Qt::NoModifier);
    b.RunKey(e, KeyScope::Browsing);
    QCOMPARE(wrapped, 2);
    QCOMPARE(ran_, (std::vector<std::string>{"open", "open"}));
  }

  void popupTakesBuiltItemsByName() {
    QMainWindow w;
    MenuBuilder b(w);
    b.Build(w.menuBar(), Rows());
    QMenu popup;
    b.FillPopup(popup, {"mnuOpen", "-", "mnuFit", "mnuNone"});
    QCOMPARE(popup.actions().size(), 3);
    QCOMPARE(popup.actions()[0], b.Action("mnuOpen"));
    QVERIFY(popup.actions()[1]->isSeparator());
    QCOMPARE(popup.actions()[2], b.Action("mnuFit"));
  }

  void aRowBeforeItsParentIsRefused() {
    QMainWindow w;
    MenuBuilder b(w);
    QVERIFY_THROWS_EXCEPTION(std::logic_error, b.Build(w.menuBar(), {{"mnuOpen", "&Open", {}, "mnuFile"}}));
    MenuBuilder noBar(w);
    QVERIFY_THROWS_EXCEPTION(std::logic_error, noBar.Build(nullptr, {{"mnuFile", "&File", {}, "", MenuKind::Submenu}}));
  }
};

QTEST_MAIN(MenuTableTest)
#include "menu_table_test.moc"
