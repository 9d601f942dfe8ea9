#pragma once
// What the fuzz targets share: a low pixel limit so hostile sizes fail fast, steps in which an
// exception is the expected answer to bad bytes, and the write-and-read-back check.
#include <cstddef>
#include <cstdint>
#include <exception>

#include "image/dib_graphic.h"
#include "image/pixel_limit.h"

namespace pelira::fuzz {

inline ByteSpan Start(const std::uint8_t* data, std::size_t size) {
  static const bool init = [] {
    SetMaxImageBytes(16u << 20);
    return true;
  }();
  (void)init;
  return ByteSpan(data, size);
}

template <class Step>
void Quietly(Step&& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

// A codec's header probe on the bytes, errors expected.
template <class Codec>
void ProbeHeader(ByteSpan bytes) {
  Quietly([&] {
    Codec g;
    (void)g.ReadHeader(bytes);
  });
}

// What a codec loaded, written and read back: the size must survive.
template <class Codec>
void RoundTrip(Codec& g) {
  Codec back;
  back.LoadFromBytes(g.SaveToBytes());
  if (back.Width() != g.Width() || back.Height() != g.Height()) __builtin_trap();
}

}  // namespace pelira::fuzz
