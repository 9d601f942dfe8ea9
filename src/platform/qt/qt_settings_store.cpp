#include "platform/qt/qt_settings_store.h"

#include <QByteArray>
#include <QDir>
#include <QSettings>

#include "common/app_paths.h"

namespace pelira {

QtSettingsStore::QtSettingsStore() {
  const std::filesystem::path home = AppPaths::ChosenHome();
  if (home.empty()) {
    settings_ = std::make_unique<QSettings>(QStringLiteral("Quenwick"), QStringLiteral("PELIRA"));
  } else {
    settings_ = std::make_unique<QSettings>(QString::fromStdString((home / "PELIRA.ini").string()), QSettings::IniFormat);
  }
}

QtSettingsStore::~QtSettingsStore() = default;

std::optional<std::vector<std::uint8_t>> QtSettingsStore::Read(const std::string& name) const {
  const QString key = QString::fromStdString(name);
  if (!settings_->contains(key)) return std::nullopt;
  // A value typed in by hand comes back as a string: its UTF-8 bytes are the value.
  const QByteArray bytes = settings_->value(key).toByteArray();
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

bool QtSettingsStore::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  settings_->setValue(QString::fromStdString(name),
                      QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
  return Sync();
}

bool QtSettingsStore::Remove(const std::string& name) {
  settings_->remove(QString::fromStdString(name));
  return Sync();
}

QString QtSettingsStore::FileName() const { return settings_->fileName(); }

bool QtSettingsStore::Sync() {
  settings_->sync();
  return settings_->status() == QSettings::NoError;
}

}  // namespace pelira
