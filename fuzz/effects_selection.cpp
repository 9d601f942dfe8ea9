// The "selFX01" settings value on arbitrary bytes: the selection read is sorted, unique and
// inside the table's slots, and writing it back reads the same.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "slideshow/effects_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  const std::vector<int> sel = pelira::DecodeEffectSelection(bytes);
  for (std::size_t i = 0; i < sel.size(); ++i) {
    if (sel[i] < 0 || sel[i] >= pelira::kEffectSlots) __builtin_trap();
    if (i > 0 && sel[i] <= sel[i - 1]) __builtin_trap();
  }
  if (pelira::DecodeEffectSelection(pelira::EncodeEffectSelection(sel)) != sel) __builtin_trap();
  pelira::SeededRandom random(size);
  const int entry = pelira::ChooseInstantEntry(sel, random);
  if (!sel.empty() && entry != sel.front() && entry > sel.back()) __builtin_trap();
  return 0;
}
