#pragma once
// The JPEG wizard's settings record ("JPGwiz1", 16 bytes, little-endian): progressive,
// subsample, two bytes always 1, smoothing method, smoothing strength, compression scale.
// A record of the wrong size gives the defaults; otherwise each field is clamped to its
// range, so a damaged value cannot reach the encoder.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelira {

class SettingsStore;

inline constexpr const char* kJpegWizardValueName = "JPGwiz1";

enum class TJpegSmoothingMethod { Standard = 0, Parametric = 1, Clean = 2 };

struct TJpegWizardSettings {
  bool progressive = false;
  bool subsample = false;
  TJpegSmoothingMethod method = TJpegSmoothingMethod::Standard;
  int strength = 0;  // 0..255
  int scale = 48;    // 1..255

  static TJpegWizardSettings FromRecord(const std::optional<std::vector<std::uint8_t>>& record);
  std::vector<std::uint8_t> ToRecord() const;
};

// "Standard", "Parametric", "Clean".
const char* SmoothingMethodName(TJpegSmoothingMethod m);

// The record as the program holds it: read from the store the first time it is needed and
// written back at close only if it was read.
class TJpegWizardRecord {
public:
  TJpegWizardSettings& Get(const SettingsStore& store);
  bool WasRead() const { return read_; }
  // Writes the record when it was read; true when nothing had to be written or it was.
  bool WriteBack(SettingsStore& store) const;

private:
  TJpegWizardSettings settings_;
  bool read_ = false;
};

// "File size: N bytes".
std::string JpegFileSizeText(std::uint64_t size);
// "Compression ratio: I.D to 1": I = raw div size, D = (raw mod size) x 10 div size, raw being
// width x height x 3.
std::string JpegCompressionRatioText(std::int64_t width, std::int64_t height, std::uint64_t size);

}  // namespace pelira
