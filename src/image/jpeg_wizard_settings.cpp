#include "image/jpeg_wizard_settings.h"

#include <algorithm>

#include "platform/settings_store.h"

namespace pelira {

namespace {

std::int32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
                                   (static_cast<std::uint32_t>(b[at + 2]) << 16) |
                                   (static_cast<std::uint32_t>(b[at + 3]) << 24));
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::int32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
}

}  // namespace

TJpegWizardSettings TJpegWizardSettings::FromRecord(const std::optional<std::vector<std::uint8_t>>& record) {
  TJpegWizardSettings s;
  if (!record || record->size() != 16) return s;
  const std::vector<std::uint8_t>& b = *record;
  s.progressive = b[0] != 0;
  s.subsample = b[1] != 0;
  s.method = static_cast<TJpegSmoothingMethod>(std::clamp(Get32(b, 4), 0, 2));
  s.strength = std::clamp(Get32(b, 8), 0, 255);
  s.scale = std::clamp(Get32(b, 12), 1, 255);
  return s;
}

std::vector<std::uint8_t> TJpegWizardSettings::ToRecord() const {
  std::vector<std::uint8_t> b(16, 0);
  b[0] = progressive ? 1 : 0;
  b[1] = subsample ? 1 : 0;
  b[2] = 1;
  b[3] = 1;
  Put32(b, 4, static_cast<std::int32_t>(method));
  Put32(b, 8, std::clamp(strength, 0, 255));
  Put32(b, 12, std::clamp(scale, 1, 255));
  return b;
}

const char* SmoothingMethodName(TJpegSmoothingMethod m) {
  switch (m) {
    case TJpegSmoothingMethod::Parametric: return "Parametric";
    case TJpegSmoothingMethod::Clean: return "Clean";
    default: return "Standard";
  }
}

TJpegWizardSettings& TJpegWizardRecord::Get(const SettingsStore& store) {
  if (!read_) {
    settings_ = TJpegWizardSettings::FromRecord(store.Read(kJpegWizardValueName));
    read_ = true;
  }
  return settings_;
}

bool TJpegWizardRecord::WriteBack(SettingsStore& store) const {
  if (!read_) return true;
  return store.Write(kJpegWizardValueName, settings_.ToRecord());
}

std::string JpegFileSizeText(std::uint64_t size) { return "File size: " + std::to_string(size) + " bytes"; }

std::string JpegCompressionRatioText(std::int64_t width, std::int64_t height, std::uint64_t size) {
  const std::uint64_t raw = static_cast<std::uint64_t>(std::max<std::int64_t>(width, 0)) *
                            static_cast<std::uint64_t>(std::max<std::int64_t>(height, 0)) * 3;
  if (size == 0) return "Compression ratio: 0.0 to 1";
  const std::uint64_t whole = raw / size;
  // The tenth digit; 128-bit so that no product of a huge picture overflows.
  const unsigned __int128 tenth = static_cast<unsigned __int128>(raw % size) * 10 / size;
  return "Compression ratio: " + std::to_string(whole) + "." + std::to_string(static_cast<std::uint64_t>(tenth)) + " to 1";
}

}  // namespace pelira
