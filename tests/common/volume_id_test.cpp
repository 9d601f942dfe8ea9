#include "common/volume_id.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include "platform/statvfs_volume_source.h"
#include "support/test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;

class FakeVolumes : public VolumeSource {
public:
  std::map<std::string, VolumeInfo> volumes;
  std::optional<VolumeInfo> Lookup(const fs::path& path) override {
    const auto it = volumes.find(path.string());
    if (it == volumes.end()) return std::nullopt;
    return it->second;
  }
};

struct SerialCase {
  std::optional<std::string> uuid;
  std::uint64_t fsid;
  std::uint32_t serial;
};

TEST(VolumeId, SerialFromUuidOrFsid) {
  const SerialCase cases[] = {
      {"1b2c3d4e-5f60-4a1b-9c2d-3e4f5a6b7c8d", 7, 0x1B2C3D4Eu},  // ext4 style: first 8 digits
      {"ABCD-1234", 7, 0xABCD1234u},                             // FAT style: the separator skipped
      {"0123456789ABCDEF", 7, 0x01234567u},                      // NTFS style
      {"1A2", 7, 0x000001A2u},                                   // short: its value
      {"zz-zz", 7, 0xC44B3364u},  // no hex digit: FNV-1a, python3 loop over b"zz-zz"
      {std::nullopt, 0x1122334455667788ull, 0x55667788u},        // no UUID: low half of fsid
      {std::string(), 0xCAFEull, 0x0000CAFEu},                   // an empty UUID counts as none
  };
  for (const auto& c : cases) {
    VolumeInfo info{"", c.uuid, c.fsid};
    EXPECT_EQ(VolumeSerial(info), c.serial) << c.uuid.value_or("(none)");
  }
}

TEST(VolumeId, FormatsThroughTheSource) {
  FakeVolumes src;
  src.volumes["/media/photos/2023"] = {"PHOTOS", "1b2c3d4e-5f60-4a1b-9c2d-3e4f5a6b7c8d", 1};
  src.volumes["/home/u"] = {"", std::nullopt, 0x00000000000000ABull};
  EXPECT_EQ(VolumeId(src, "/media/photos/2023"), "PHOTOS.1B2C3D4E");
  EXPECT_EQ(VolumeId(src, "/home/u"), ".000000AB");
  EXPECT_EQ(VolumeId(src, "/unknown"), "");  // a failed query gives an empty id
  EXPECT_EQ(FormatVolumeId("My Disk", 0xF), "My Disk.0000000F");
}

TEST(VolumeId, RealSourceIsStable) {
  test::TempDir dir;
  fs::create_directories(dir / "sub");
  StatvfsVolumeSource src;
  const std::string a = VolumeId(src, dir.path());
  EXPECT_TRUE(std::regex_match(a, std::regex(R"(.*\.[0-9A-F]{8})"))) << a;
  EXPECT_EQ(VolumeId(src, dir.path()), a);
  EXPECT_EQ(VolumeId(src, dir / "sub"), a);             // same filesystem
  EXPECT_EQ(VolumeId(src, dir / "not/yet/made"), a);    // through the nearest existing folder
  EXPECT_EQ(VolumeId(src, "/tmp"), VolumeId(src, "/tmp"));

  const auto info = src.Lookup(dir.path());
  ASSERT_TRUE(info.has_value());
  if (!info->uuid) {
    struct statvfs vfs {};
    ASSERT_EQ(::statvfs(dir.path().c_str(), &vfs), 0);
    if (vfs.f_fsid != 0) {
      EXPECT_EQ(VolumeSerial(*info), static_cast<std::uint32_t>(vfs.f_fsid));
    }
  }
}

TEST(VolumeId, RealSourceRejectsEmptyPath) {
  StatvfsVolumeSource src;
  EXPECT_EQ(VolumeId(src, ""), "");
}

// A mount table and udev link folders of our own: the source must pick the deepest mount of
// the path's device, follow the links to it and decode the escapes of both.
TEST(VolumeId, ReadsUuidAndLabelLinks) {
  test::TempDir dir;
  const fs::path mnt = dir / "mnt point";
  fs::create_directories(mnt / "pics");
  fs::create_directories(dir / "dev");
  fs::create_directories(dir / "disk/by-uuid");
  fs::create_directories(dir / "disk/by-label");
  test::WriteText(dir / "dev/sdz1", "");
  test::WriteText(dir / "dev/sdz2", "");
  fs::create_symlink(dir / "dev/sdz1", dir / "disk/by-uuid/1b2c3d4e-aaaa-bbbb-cccc-ddddeeeeffff");
  fs::create_symlink("../../dev/sdz2", dir / "disk/by-uuid/99999999-0000-0000-0000-000000000000");
  fs::create_symlink(dir / "dev/sdz1", dir / "disk/by-label/My\\x20Pics");
  fs::create_symlink(dir / "dev/sdz2", dir / "disk/by-label/ROOT");

  struct stat st {};
  ASSERT_EQ(::stat(mnt.c_str(), &st), 0);
  const std::string devno = std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
  std::string escaped = fs::canonical(mnt).string();
  escaped.replace(escaped.find("mnt point"), 9, "mnt\\040point");
  std::ofstream(dir / "mountinfo")
      << "21 1 " << devno << " / / rw - ext4 " << (dir / "dev/sdz2").string() << " rw\n"
      << "35 21 " << devno << " / " << escaped << " rw,relatime shared:1 - ext4 "
      << (dir / "dev/sdz1").string() << " rw\n"
      << "36 21 " << devno << " / " << escaped << "x rw - ext4 /nonexistent rw\n";

  StatvfsVolumeSource src(dir / "mountinfo", dir / "disk");
  const auto info = src.Lookup(mnt / "pics");
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->label, "My Pics");
  EXPECT_EQ(info->uuid.value_or(""), "1b2c3d4e-aaaa-bbbb-cccc-ddddeeeeffff");
  EXPECT_EQ(VolumeId(src, mnt / "pics" / "new.jpg"), "My Pics.1B2C3D4E");
  // Outside the mount point the root entry answers.
  EXPECT_EQ(VolumeId(src, dir / "dev"), "ROOT.99999999");
}

}  // namespace
}  // namespace pelira
