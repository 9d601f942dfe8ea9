#include "viewer/picture_loader.h"

#include "common/errors.h"
#include "common/kind_list.h"
#include "image/bmp_reader.h"
#include "image/file_bytes.h"

namespace pelira {

PictureLoader DefaultPictureLoader() {
  return [](const std::string& path, const LoadRequest&, LoadedPicture& out) {
    if (!PathInKindList(path, ".BMP.DIB")) return false;
    try {
      const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
      out.bitmap = ReadBmpFile(bytes);
      return true;
    } catch (const EVistrelError& e) {
      // Only the pixel limit is worth a message; an unreadable file just leaves the blank picture.
      const std::string message = e.what();
      if (message.rfind("Image too large", 0) == 0) out.error = message;
      return false;
    }
  };
}

}  // namespace pelira
