#include "platform/settings_store.h"

namespace pelira {

std::optional<std::string> SettingsStore::ReadString(const std::string& name) const {
  auto bytes = Read(name);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

bool SettingsStore::WriteString(const std::string& name, const std::string& text) {
  return Write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::optional<std::vector<std::uint8_t>> MemorySettingsStore::Read(const std::string& name) const {
  auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

bool MemorySettingsStore::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  values_[name] = bytes;
  return true;
}

bool MemorySettingsStore::Remove(const std::string& name) {
  values_.erase(name);
  return true;
}

}  // namespace pelira
