#pragma once
// The settings store on QSettings("Quenwick","PELIRA"), one QByteArray per value name. With
// $PELIRA_HOME set it is the INI file $PELIRA_HOME/PELIRA.ini instead, because QSettings
// knows nothing of PELIRA_HOME and tests must never touch the user's settings.
#include <QString>
#include <memory>

#include "platform/settings_store.h"

class QSettings;

namespace pelira {

class QtSettingsStore : public SettingsStore {
public:
  QtSettingsStore();
  ~QtSettingsStore() override;

  std::optional<std::vector<std::uint8_t>> Read(const std::string& name) const override;
  // Written through to the file at once; false when it could not be written.
  bool Write(const std::string& name, const std::vector<std::uint8_t>& bytes) override;
  bool Remove(const std::string& name) override;

  QString FileName() const;

private:
  bool Sync();
  std::unique_ptr<QSettings> settings_;
};

}  // namespace pelira
