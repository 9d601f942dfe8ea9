// The JPEG codec on arbitrary bytes: header, full and reduced decodes in colour, gray and
// 236 colours, and a re-encode of what decoded.
#include "fuzz_support.h"
#include "image/jpeg_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const pelira::ByteSpan bytes = pelira::fuzz::Start(data, size);
  const int mode = size > 0 ? data[size - 1] : 0;
  pelira::fuzz::Quietly([&] {
    pelira::TJPEGImage j;
    j.LoadFromStream(bytes);
    j.SetScale(mode & 3);
    if (mode & 4) j.SetGrayMode(true);
    if (mode & 8) j.SetPixelFormat(pelira::TJPEGPixelFormat::jf8Bit);
    j.ProgressiveDisplay = (mode & 16) != 0;
    const pelira::Dib d = j.Decode();
    pelira::TJPEGImage again;
    again.Assign(d);
    again.ProgressiveEncoding = (mode & 32) != 0;
    again.Compress((mode & 64) != 0, true, 0, 50, true);
    pelira::Bytes out;
    again.SaveToStream(out);
    pelira::TJPEGImage back;
    back.LoadFromStream(out);
    if (back.HeaderWidth() != d.Width() || back.HeaderHeight() != d.Height()) __builtin_trap();
  });
  pelira::fuzz::Quietly([&] {
    pelira::TJPEGImage j;
    j.LoadFromStream(bytes);
    j.SetReducedDecode(40, 30, mode & 2);
    pelira::Dib d;
    j.DecodeReduced(d);
  });
  return 0;
}
