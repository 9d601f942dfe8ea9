// The chosen-effects dialog driven as a user would, and the command that stores its answer.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "platform/help.h"
#include "platform/settings_store.h"
#include "slideshow/effects_table.h"
#include "slideshow/forms/effects_dlg.h"

using namespace pelira;

namespace {

class FakeEffectsDialogs : public EffectsDialogs {
public:
  std::optional<std::vector<int>> answer;
  std::vector<int> shownWith;
  int calls = 0;
  std::optional<std::vector<int>> ChooseEffects(const EffectsTable&, const std::vector<int>& selected) override {
    ++calls;
    shownWith = selected;
    return answer;
  }
};

class FailingStore : public MemorySettingsStore {
public:
  bool Write(const std::string&, const std::vector<std::uint8_t>&) override { return false; }
};

}  // namespace

class EffectsDlgTest : public QObject {
  Q_OBJECT
private slots:
  void showsTheTableWithTheStoredSelection() {
    TEffectsDlg dlg(TheEffectsTable(), {8, 69, 173});
    QCOMPARE(dlg.windowTitle(), QString("Select from 173 Transitions Effects"));
    QCOMPARE(dlg.Label()->text(), QString("Press CTRL key and click to (un)select multiple items."));
    QCOMPARE(dlg.List()->count(), 174);
    QCOMPARE(dlg.List()->item(168)->text(), QString("Explode, Circle/Ellipse"));
    QCOMPARE(dlg.Selection(), (std::vector<int>{8, 69, 173}));
    QCOMPARE(dlg.ClearButton()->text(), QString("Cl&ear"));
  }

  void ctrlClickAddsAndRemovesAPlainClickReplaces() {
    TEffectsDlg dlg(TheEffectsTable(), {8});
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QListWidget* list = dlg.List();
    auto click = [&](int row, Qt::KeyboardModifiers mods) {
      list->scrollToItem(list->item(row));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, mods, list->visualItemRect(list->item(row)).center());
    };
    click(40, Qt::ControlModifier);
    QCOMPARE(dlg.Selection(), (std::vector<int>{8, 40}));
    click(8, Qt::ControlModifier);
    QCOMPARE(dlg.Selection(), (std::vector<int>{40}));
    click(100, Qt::NoModifier);
    QCOMPARE(dlg.Selection(), (std::vector<int>{100}));
  }

  void clearLeavesOnlyNoneAndHelpOpensContext300() {
    TEffectsDlg dlg(TheEffectsTable(), {2, 3, 150});
    dlg.show();
    QTest::mouseClick(dlg.ClearButton(), Qt::LeftButton);
    QCOMPARE(dlg.Selection(), (std::vector<int>{0}));
    auto& help = static_cast<RecordingHelpViewer&>(Help::Viewer());
    help.Clear();
    QTest::mouseClick(dlg.HelpButton(), Qt::LeftButton);
    QCOMPARE(help.Contexts(), (std::vector<int>{300}));
    QVERIFY(dlg.isVisible());  // Help does not close it
  }

  void okStoresTheAnswerCancelKeepsTheValue() {
    MemorySettingsStore store;
    SaveEffectSelection(store, {5, 7});
    FakeEffectsDialogs dialogs;
    dialogs.answer = std::vector<int>{0, 172};
    QVERIFY(mnuSlideEffectsClick(store, dialogs));
    QCOMPARE(dialogs.shownWith, (std::vector<int>{5, 7}));
    QCOMPARE(LoadEffectSelection(store), (std::vector<int>{0, 172}));

    dialogs.answer.reset();
    const auto before = store.Read(kEffectsValue);
    QVERIFY(mnuSlideEffectsClick(store, dialogs));
    QCOMPARE(store.Read(kEffectsValue), before);
    QCOMPARE(dialogs.calls, 2);

    FailingStore failing;
    dialogs.answer = std::vector<int>{8};
    QVERIFY(!mnuSlideEffectsClick(failing, dialogs));
  }

  void theRealDialogAcceptsThroughOk() {
    QtEffectsDialogs dialogs(nullptr);
    QTimer::singleShot(0, [] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<TEffectsDlg*>(w); d && d->isVisible()) {
          d->List()->item(64)->setSelected(true);
          d->accept();
        }
    });
    const auto chosen = dialogs.ChooseEffects(TheEffectsTable(), {9});
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, (std::vector<int>{9, 64}));
  }
};

QTEST_MAIN(EffectsDlgTest)
#include "effects_dlg_test.moc"
