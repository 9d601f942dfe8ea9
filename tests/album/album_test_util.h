#pragma once
// Shared pieces of the album tests: a fake volume source, files with set times, and the
// python3 oracle beside these tests.
#include <sys/stat.h>
#include <sys/time.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/volume_source.h"
#include "support/test_support.h"

namespace pelira::test {

class FakeVolumes : public VolumeSource {
 public:
  int lookups = 0;
  std::optional<VolumeInfo> Lookup(const std::filesystem::path&) override {
    ++lookups;
    VolumeInfo v;
    v.label = "PHOTOS";
    v.uuid = "1B2C3D4E-0000";
    return v;
  }
};

inline std::string MakeFile(const std::filesystem::path& p, std::size_t bytes, long mtime = 0) {
  std::filesystem::create_directories(p.parent_path());
  WriteText(p, std::string(bytes, 'x'));
  if (mtime != 0) {
    struct timeval tv[2] = {{mtime, 0}, {mtime, 0}};
    ::utimes(p.c_str(), tv);
  }
  return p.string();
}

struct OracleRun {
  int status = -1;
  std::string out;
};

inline OracleRun RunOracle(const std::string& mode, const std::filesystem::path& album) {
  const auto script = Fixture("album/album_oracle.py");
  const std::string cmd = "python3 '" + script.string() + "' " + mode + " '" + album.string() + "'";
  OracleRun r;
  FILE* f = ::popen(cmd.c_str(), "r");
  if (f == nullptr) return r;
  std::array<char, 4096> buf{};
  std::size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) r.out.append(buf.data(), n);
  const int st = ::pclose(f);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

}  // namespace pelira::test
