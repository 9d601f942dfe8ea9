#pragma once
// The per-user settings: raw bytes by value name ("VControls7500", "OpenDir", ...). The record
// layouts are decoded elsewhere in core; the store only keeps bytes. Desktop: QtSettingsStore.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pelira {

class SettingsStore {
public:
  virtual ~SettingsStore() = default;

  // The stored bytes, or nullopt when the value is missing (an empty value is not missing).
  virtual std::optional<std::vector<std::uint8_t>> Read(const std::string& name) const = 0;
  // False when the value could not be stored.
  virtual bool Write(const std::string& name, const std::vector<std::uint8_t>& bytes) = 0;
  // False when the value could not be removed; removing a missing value succeeds.
  virtual bool Remove(const std::string& name) = 0;

  // Strings are kept as UTF-8 bytes.
  std::optional<std::string> ReadString(const std::string& name) const;
  bool WriteString(const std::string& name, const std::string& text);
};

class MemorySettingsStore : public SettingsStore {
public:
  std::optional<std::vector<std::uint8_t>> Read(const std::string& name) const override;
  bool Write(const std::string& name, const std::vector<std::uint8_t>& bytes) override;
  bool Remove(const std::string& name) override;

private:
  std::map<std::string, std::vector<std::uint8_t>> values_;
};

}  // namespace pelira
