#include "common/volume_id.h"

#include "common/hex_text.h"

namespace pelira {

namespace {
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

std::uint32_t VolumeSerial(const VolumeInfo& info) {
  if (!info.uuid || info.uuid->empty()) return static_cast<std::uint32_t>(info.fsid);
  std::uint32_t value = 0;
  int digits = 0;
  for (char c : *info.uuid) {
    const int d = HexDigit(c);
    if (d < 0) continue;
    value = (value << 4) | static_cast<std::uint32_t>(d);
    if (++digits == 8) break;
  }
  if (digits > 0) return value;
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : *info.uuid) {
    hash ^= c;
    hash *= 16777619u;
  }
  return hash;
}

std::string FormatVolumeId(std::string_view label, std::uint32_t serial) {
  std::string out(label);
  out += '.';
  out += Hex8(serial);
  return out;
}

std::string VolumeId(VolumeSource& source, const std::filesystem::path& path) {
  const auto info = source.Lookup(path);
  if (!info) return "";
  return FormatVolumeId(info->label, VolumeSerial(*info));
}

}  // namespace pelira
