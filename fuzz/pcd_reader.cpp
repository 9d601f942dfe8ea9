// The Photo CD reader on arbitrary bytes: open, every resolution it reports at full size and
// cut by a rectangle from the input, and the image information.
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "imaging_library/pcd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  (void)fuzz::Start(data, size);
  HPCD pcd = nullptr;
  if (PCDopenBytes(std::vector<std::uint8_t>(data, data + size), &pcd) != 0) {
    if (pcd) __builtin_trap();  // a failed open leaves no handle
    return 0;
  }
  std::uint32_t mask = 0;
  int count = 0;
  PCDgetCount(pcd, &mask, &count);
  const PcdRect cut{static_cast<std::int16_t>(size > 1 ? data[1] : 0), static_cast<std::int16_t>(size > 2 ? data[2] : 0),
                    static_cast<std::int16_t>(size > 3 ? data[3] * 3 : 0), static_cast<std::int16_t>(size > 4 ? data[4] * 2 : 0)};
  for (int r = 0; r < count; ++r) {
    if (PCDsetResolution(pcd, r) != 0) __builtin_trap();
    PcdRect rect;
    PCDgetSize(pcd, &rect);
    std::vector<std::uint8_t> block;
    if (PCDloadImage(pcd, nullptr, &block) != 0) __builtin_trap();
    // 40-byte header, 1024-byte table, rows of the reported size padded to 4 bytes.
    const std::size_t stride = (static_cast<std::size_t>(rect.bottom) * 3 + 3) / 4 * 4;
    if (block.size() != 40 + 1024 + stride * static_cast<std::size_t>(rect.right)) __builtin_trap();
    PCDloadImage(pcd, &cut, &block);
  }
  PcdImageInfo info;
  PCDreadImageInfo(pcd, &info);
  PCDgetRotation(pcd);
  PCDclose(pcd);
  return 0;
}
