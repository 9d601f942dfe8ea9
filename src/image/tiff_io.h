#pragma once
// libtiff over memory: the client procedures that let libtiff read a file held in memory and
// write or append to a growing byte buffer, with libtiff's messages caught per handle
// (nothing is printed) and its single allocations capped. libtiff reports errors by return
// values, so no exception ever has to cross its frames.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image/dib_graphic.h"

typedef struct tiff TIFF;

namespace pelira {

class ReadOnlyFile;

// What a TIFF is read from: bytes in memory, or a file read in place (only the directories
// and the strips asked for are read).
struct TiffSource {
  ByteSpan bytes;
  const ReadOnlyFile* file = nullptr;
  std::uint64_t size() const;
};

class TiffHandle {
public:
  // Reading: the bytes (or the file) must outlive the handle. Null handle on failure (see
  // Message()).
  static TiffHandle OpenRead(ByteSpan bytes);
  static TiffHandle OpenRead(const TiffSource& source);
  // "w" starts the buffer anew; "a" adds a directory to the TIFF already in it.
  static TiffHandle OpenWrite(Bytes& out, bool append);
  // Writing a new TIFF into an open, empty file (libtiff seeks back to finish it).
  static TiffHandle OpenWrite(int fd);

  TiffHandle();  // no file
  TiffHandle(TiffHandle&&) noexcept;
  TiffHandle& operator=(TiffHandle&&) noexcept;
  ~TiffHandle();

  TIFF* get() const { return tif_; }
  explicit operator bool() const { return tif_ != nullptr; }
  // Closes the file (a writer flushes its directory here). False when that failed.
  bool Close();
  // libtiff's last error text, empty when there was none.
  std::string Message() const;

  struct Stream;

private:
  std::unique_ptr<Stream> stream_;
  TIFF* tif_ = nullptr;
};

// Directories of a TIFF, counted without loops; 0 when the data is not a TIFF.
int TiffDirectoryCount(TIFF* tif);

// Raises ETiffError when the current directory's strips (or tiles) cannot hold its pixels:
// one lies outside the file or is empty, or is shorter than its rows need at the best ratio
// its compression reaches (raw data 1:1, PackBits 64:1, a fax row at least one bit, ...).
// Called before the page is allocated, so a header that claims a huge page over no data
// costs nothing.
void CheckStripsHoldThePage(TIFF* tif, std::uint64_t fileSize);

// libtiff's last error text for a handle opened by TiffHandle (empty when none).
std::string TiffErrorText(TIFF* tif);

// The current directory through libtiff's RGBA reader, top row first, in bands of whole
// strips or tiles (each decoded once) as long as a band stays within a few megabytes, else in
// bands of rows. row(y, pixels) gets width values of R | G << 8 | B << 16 | A << 24. False
// when the reader cannot take the layout at all; a read error of libtiff raises ETiffError
// with its message.
bool ReadRgbaRows(TIFF* tif, std::uint32_t width, std::uint32_t height,
                  const std::function<void(std::uint32_t y, const std::uint32_t* pixels)>& row);

}  // namespace pelira
