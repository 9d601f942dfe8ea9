// The "Save Image As" dialog: its types by depth, the options panel following the type, the
// Adobe TIFF warning, and what it hands back.
#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>

#include "platform/scripted_ui.h"
#include "viewer/forms/save_dialog.h"
#include "edit/save_as.h"

using namespace pelira;

namespace {

// Picks a type the way a click in the type list does.
void Pick(QComboBox* types, int index) {
  types->setCurrentIndex(index);
  emit types->activated(index);
  emit types->textActivated(types->itemText(index));
}

}  // namespace

class SaveDialogTest : public QObject {
  Q_OBJECT
private slots:
  void init() {
    ui_ = std::make_unique<ScriptedUi>();
    SetCurrentUi(ui_.get());
    ClearSilencedQuestions();
  }
  void cleanup() {
    SetCurrentUi(nullptr);
    ui_.reset();
  }

  void oneBitPicturesAreOfferedTwelveTypes() {
    for (const int bits : {1, 4, 8, 24}) {
      SaveDialogSetup setup;
      setup.imageBits = bits;
      TSaveDialog d(nullptr, setup);
      QCOMPARE(d.nameFilters().size(), bits == 1 ? 12 : 9);
      QCOMPARE(d.nameFilters().front(), QString("BMP (Windows Bitmap) (*.bmp)"));
      QCOMPARE(d.windowTitle(), QString("Save Image As"));
    }
  }

  void thePanelFollowsTheType() {
    SaveDialogSetup setup;
    setup.type = 3;
    setup.compression = 200;  // out of range: 50
    TSaveDialog d(nullptr, setup);
    auto* bar = d.findChild<QScrollBar*>("barCompression");
    auto* compress = d.findChild<QPushButton*>("btnCompress");
    auto* progressive = d.findChild<QCheckBox*>("chkProgressive");
    auto* types = d.findChild<QComboBox*>("fileTypeCombo");
    QVERIFY(bar && compress && progressive && types);
    QCOMPARE(bar->value(), 50);
    QCOMPARE(compress->text(), QString("Compress: 50"));
    QVERIFY(!compress->isEnabled());  // the wizard is not in this version
    struct Case { int type; bool jpeg; bool progressiveOn; };
    const Case cases[] = {{3, false, true}, {5, true, true}, {4, true, true}, {1, false, false}, {7, false, false}};
    for (const Case& c : cases) {
      Pick(types, c.type - 1);
      QCOMPARE(d.Type(), c.type);
      QCOMPARE(bar->isHidden(), !c.jpeg);
      QCOMPARE(compress->isHidden(), !c.jpeg);
      QCOMPARE(progressive->isEnabled(), c.progressiveOn);
      QCOMPARE(d.defaultSuffix(), QString(SaveTypeOf(c.type).extension));
    }
    bar->setValue(80);
    progressive->setChecked(false);
    const SaveChoice choice = d.Choice();
    QCOMPARE(choice.type, 7);
    QCOMPARE(choice.compression, 80);
    QVERIFY(!choice.progressive);
  }

  void adobeTiffWarnsUntilIgnored() {
    SaveDialogSetup setup;
    TSaveDialog d(nullptr, setup);
    auto* types = d.findChild<QComboBox*>("fileTypeCombo");
    ui_->Queue(Button::Ignore);
    Pick(types, 8);
    Pick(types, 2);
    Pick(types, 8);
    QCOMPARE(ui_->Texts().size(), std::size_t(1));
    QCOMPARE(ui_->Texts()[0], std::string(kTiffAdobeWarning));
  }

private:
  std::unique_ptr<ScriptedUi> ui_;
};

QTEST_MAIN(SaveDialogTest)
#include "save_dialog_test.moc"
