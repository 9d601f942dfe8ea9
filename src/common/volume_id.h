#pragma once
// The `volume id` of a folder: volume label + "." + the serial number as 8 upper-case hex
// digits ("PHOTOS.1B2C3D4E"). Albums store it per folder and the thumbnail cache hashes it,
// so the serial must stay the same across boots: it comes from the filesystem UUID when one
// is known, else from statvfs' f_fsid.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/volume_source.h"

namespace pelira {

// The 32-bit serial of a volume. From the UUID: its first 8 hex digits in order, separators
// skipped ("ABCD-1234" gives ABCD1234, as the other system shows FAT serials); a UUID with
// 1 to 7 hex digits gives their value; one with none is hashed (FNV-1a) into 32 bits.
// Without a UUID: the low 32 bits of fsid.
std::uint32_t VolumeSerial(const VolumeInfo& info);

// label + "." + Hex8(serial).
std::string FormatVolumeId(std::string_view label, std::uint32_t serial);

// The volume id of the volume holding path, or "" when the source cannot tell.
std::string VolumeId(VolumeSource& source, const std::filesystem::path& path);

}  // namespace pelira
