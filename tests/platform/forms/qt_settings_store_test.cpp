// QtSettingsStore: bytes survive the file, and PELIRA_HOME keeps tests off the user's settings.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/qt/qt_settings_store.h"

using namespace pelira;

namespace {

std::vector<std::uint8_t> Record168() {
  std::vector<std::uint8_t> r(168);
  for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<std::uint8_t>(i * 37 + 11);
  r[0] = 0x00;
  r[1] = 0xFF;
  r[2] = '\n';
  r[3] = '=';
  r[167] = 0xFF;
  return r;
}

}  // namespace

class QtSettingsStoreTest : public QObject {
  Q_OBJECT
private slots:
  // QSettings fixes its folders on first use, so the native case runs first.
  void withoutPeliraHomeUsesTheOrganisationStore() {
    QVERIFY(config_.isValid());
    qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
    qunsetenv("PELIRA_HOME");
    QtSettingsStore store;
    QCOMPARE(store.FileName(), config_.filePath(QStringLiteral("Quenwick/PELIRA.conf")));
    QVERIFY(store.WriteString("OpenDir", "/pictures"));
    QVERIFY(QFile::exists(store.FileName()));
  }

  void roundTripsUnderPeliraHome() {
    QVERIFY(home_.isValid());
    qputenv("PELIRA_HOME", home_.path().toUtf8());
    const std::vector<std::uint8_t> binary = {0x00, 0xFF, 0x00, 0x7F, 0x80, 0xFF, '@', '"', '\\'};
    {
      QtSettingsStore store;
      QCOMPARE(store.FileName(), home_.filePath(QStringLiteral("PELIRA.ini")));
      QVERIFY(store.Write("VControls7500", Record168()));
      QVERIFY(store.Write("selFX01", binary));
      QVERIFY(store.Write("JPGwiz1", {}));
      QVERIFY(store.WriteString("OpenDir", "/home/ü/Bilder mit Leerzeichen"));
      QVERIFY(store.Write("Doomed", {1}));
      QVERIFY(store.Remove("Doomed"));
    }
    QVERIFY(QFile::exists(home_.filePath(QStringLiteral("PELIRA.ini"))));

    QtSettingsStore reread;
    QCOMPARE(reread.Read("VControls7500"), std::optional(Record168()));
    QCOMPARE(reread.Read("selFX01"), std::optional(binary));
    const auto empty = reread.Read("JPGwiz1");
    QVERIFY(empty.has_value());  // empty is not missing
    QVERIFY(empty->empty());
    QCOMPARE(reread.ReadString("OpenDir"), std::optional<std::string>("/home/ü/Bilder mit Leerzeichen"));
    QVERIFY(!reread.Read("EControls7700").has_value());
    QVERIFY(!reread.Read("Doomed").has_value());
  }

  void valueTypedInByHandReadsAsItsBytes() {
    QVERIFY(home_.isValid());
    qputenv("PELIRA_HOME", home_.path().toUtf8());
    QFile ini(home_.filePath(QStringLiteral("PELIRA.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write("[General]\nSaveDir=/srv/photos\n");
    ini.close();
    QtSettingsStore store;
    QCOMPARE(store.ReadString("SaveDir"), std::optional<std::string>("/srv/photos"));
  }

  void writeWhereNoFolderCanBeFails() {
    QTemporaryDir dir;
    // A file where the settings folder should be: nothing can be written under it.
    const QString blocked = dir.filePath(QStringLiteral("not-a-folder"));
    QFile file(blocked);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    qputenv("PELIRA_HOME", blocked.toUtf8());
    QtSettingsStore store;
    QVERIFY(!store.Write("VControls7500", Record168()));
  }

private:
  QTemporaryDir config_;
  QTemporaryDir home_;
};

QTEST_MAIN(QtSettingsStoreTest)
#include "qt_settings_store_test.moc"
