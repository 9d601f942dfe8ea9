// The whole loading road on arbitrary files: probe, open, blank picture. The first byte
// picks the extension (and for Photo CD a folder named img) so every route is reached.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "image/image_loader.h"
#include "fuzz_support.h"

namespace {

const char* kNames[] = {"a.bmp", "a.dib", "img/IMG0001.PCD", "a.dcx", "a.tif", "a.png", "a.jpg",
                        "a.gif", "a.psd", "a.tga", "a.pcx", "a.TI",  "a.wmf", "a.txt", "a.mp3"};

std::filesystem::path Dir() {
  static const std::filesystem::path d = [] {
    std::string t = (std::filesystem::temp_directory_path() / "pelira-fuzz-XXXXXX").string();
    if (!mkdtemp(t.data())) __builtin_trap();
    std::filesystem::create_directories(std::filesystem::path(t) / "img");
    return std::filesystem::path(t);
  }();
  return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)pelira::fuzz::Start(data, size);
  if (size < 1) return 0;
  const std::filesystem::path p = Dir() / kNames[data[0] % (sizeof kNames / sizeof kNames[0])];
  {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  }
  pelira::LoadSettings s;
  s.faxQuality = data[0] >> 6;
  s.pcdStep = data[0] & 7;
  pelira::TImageLoader l(s);
  l.Open(p.string());
  if (l.workingBitmap.Empty() && l.info.loaded) __builtin_trap();
  return 0;
}
