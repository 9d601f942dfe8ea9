// The Options dialog's rules as the boxes are clicked, and what Ok, Apply and Cancel hand on.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QtTest>

#include "app/forms/options_form.h"

using namespace pelira;

class OptionsFormTest : public QObject {
  Q_OBJECT

  static OptionsValues Defaults() { return {DefaultViewerSettings(1024), ExplorerOptions{}}; }

private slots:
  void mergeAndAutoSizeRules() {
    TOptionsForm f(Defaults(), OptionsPage::Viewer, false, 24, {});
    QVERIFY(!f.ApplyButton()->isEnabled());
    f.Check("chkMerge")->click();
    QVERIFY(f.Check("chkToolBar")->isHidden());
    QVERIFY(f.Check("chkButtonText")->isHidden());
    QCOMPARE(f.Check("chkPathBox")->text(), QString("&Tool bar"));
    QVERIFY(f.ApplyButton()->isEnabled());
    f.Check("chkMerge")->click();
    QVERIFY(!f.Check("chkToolBar")->isHidden());
    QCOMPARE(f.Check("chkPathBox")->text(), QString("&Path box"));

    QVERIFY(f.Check("chkAutoCenter")->isChecked());
    f.Check("chkAutoSize")->click();
    QVERIFY(!f.Check("chkAutoCenter")->isChecked());
    QVERIFY(!f.Check("chkAutoCenter")->isEnabled());
    QVERIFY(!f.Values().viewer.autoCenter);
  }

  void displayDepthAndFullScreen() {
    OptionsValues v = Defaults();
    v.viewer.autoReduce = true;
    v.viewer.useScreen = true;
    TOptionsForm low(v, OptionsPage::Graphics, false, 8, {});
    QVERIFY(!low.Check("chkUseScreen")->isEnabled());
    QVERIFY(!low.Check("chkUseScreen")->isChecked());
    QVERIFY(!low.Values().viewer.useScreen);
    QCOMPARE(low.Pages()->currentIndex(), 1);

    v.viewer.maxFullScreen = true;
    TOptionsForm full(v, OptionsPage::Viewer, true, 24, {});
    for (const char* name : {"chkMaxFullScreen", "chkStatusBar", "chkMenus", "chkToolBar", "chkButtonText", "chkPathBox",
                             "chkWithMenus"})
      QVERIFY2(!full.Check(name)->isEnabled(), name);
  }

  void delayVolumeAndTheValuesHandedOn() {
    std::vector<OptionsValues> applied;
    OptionsHooks hooks;
    hooks.apply = [&](const OptionsValues& v) { applied.push_back(v); };
    TOptionsForm f(Defaults(), OptionsPage::Slideshow, false, 24, hooks);
    f.DelayBar()->setValue(12345);
    QCOMPARE(f.DelayLabel()->text(), QString("&Delay = 12.3s"));
    f.VolumeBar()->setValue(0);
    f.Radio("radFax1")->click();
    f.Check("chkExSingleClick")->click();
    f.Check("chkExUnderline")->click();
    f.ApplyButton()->click();
    QCOMPARE(applied.size(), std::size_t{1});
    QCOMPARE(applied[0].viewer.slideshowDelay, 12345);
    QCOMPARE(applied[0].viewer.mediaVolume, 1);
    QCOMPARE(applied[0].viewer.faxQuality, 1);
    QCOMPARE(applied[0].explorer.clickStyle, 2);
    QVERIFY(!f.ApplyButton()->isEnabled());
    // Cancel afterwards hands nothing more on; what was applied stays applied.
    f.findChild<QPushButton*>("btnCancel")->click();
    QCOMPARE(applied.size(), std::size_t{1});
    QCOMPARE(f.result(), int(QDialog::Rejected));

    // Unchecking Single-click takes Underline with it.
    TOptionsForm g(applied[0], OptionsPage::Explorer, false, 24, hooks);
    g.Check("chkExSingleClick")->click();
    QVERIFY(!g.Check("chkExUnderline")->isEnabled());
    QCOMPARE(g.Values().explorer.clickStyle, 0);
    g.findChild<QPushButton*>("btnOk")->click();
    QCOMPARE(applied.size(), std::size_t{2});
    QCOMPARE(g.result(), int(QDialog::Accepted));
  }
};

QTEST_MAIN(OptionsFormTest)
#include "options_form_test.moc"
