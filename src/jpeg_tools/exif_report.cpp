#include "jpeg_tools/exif_report.h"

#include <algorithm>
#include <utility>

#include "common/hex_text.h"
#include "common/text_encoding.h"

namespace pelira {

namespace {

struct TagName {
  std::uint16_t tag;
  const char* name;
};

constexpr TagName kFirstDirectoryNames[] = {
    {270, "ImageDescription"}, {271, "Make"},           {272, "Model"},
    {274, "Orientation"},      {282, "XResolution"},    {283, "YResolution"},
    {296, "ResolutionUnit"},   {305, "Software"},       {306, "DateTime"},
    {318, "WhitePoint"},       {319, "PrimaryChromaticities"}, {529, "YCbCrCoefficients"},
    {531, "YCbCrPositioning"}, {532, "ReferenceBlackWhite"},   {33432, "Copyright"},
    {34665, "ExifOffset"},
};

constexpr TagName kExifDirectoryNames[] = {
    {33434, "ExposureTime"},      {33437, "FNumber"},
    {34850, "ExposureProgram"},   {34855, "ISOSpeedRatings"},
    {36864, "ExifVersion"},       {36867, "DateTimeOriginal"},
    {36868, "DateTimeDigitized"}, {37121, "ComponentConfiguration"},
    {37122, "CompressionBitsPerPixel"}, {37377, "ShutterSpeedValue"},
    {37378, "ApertureValue"},     {37379, "BrightnessValue"},
    {37380, "ExposureBiasValue"}, {37381, "MaxApertureValue"},
    {37382, "SubjectDistance"},   {37383, "MeteringMode"},
    {37384, "LightSource"},       {37385, "Flash"},
    {37386, "FocalLength"},       {37500, "MakerNote"},
    {37510, "UserComment"},       {40960, "FlashPixVersion"},
    {40961, "ColorSpace"},        {40962, "ExifImageWidth"},
    {40963, "ExifImageHeight"},   {40964, "RelatedSoundFile"},
    {40965, "ExifInteropOffset"}, {41486, "FocalPlaneXRes"},
    {41487, "FocalPlaneYRes"},    {41488, "FocalPlaneResUnit"},
    {41493, "ExposureIndex"},     {41495, "SensingMethod"},
    {41728, "FileSource"},        {41729, "ScenicType"},
};

// Entries that never give a line: the EXIF directory's pointer, the component order and the
// maker note (both binary).
bool Silent(std::uint16_t tag, unsigned type) { return tag == kTagExifOffset || tag == 37121 || tag == 37500 || type == 7; }

class TiffReader {
public:
  TiffReader(JpegBytes tiff, bool little) : b_(tiff), little_(little) {}

  std::size_t size() const { return b_.size(); }
  bool Fits(std::uint64_t offset, std::uint64_t n) const { return offset <= b_.size() && n <= b_.size() - offset; }

  // The caller has checked Fits.
  std::uint16_t U16(std::size_t at) const {
    return little_ ? static_cast<std::uint16_t>(b_[at] | (b_[at + 1] << 8))
                   : static_cast<std::uint16_t>((b_[at] << 8) | b_[at + 1]);
  }
  std::uint32_t U32(std::size_t at) const {
    const std::uint32_t a = b_[at], b = b_[at + 1], c = b_[at + 2], d = b_[at + 3];
    return little_ ? (a | (b << 8) | (c << 16) | (d << 24)) : ((a << 24) | (b << 16) | (c << 8) | d);
  }
  std::uint8_t U8(std::size_t at) const { return b_[at]; }
  const std::uint8_t* Ptr(std::size_t at) const { return b_.data() + at; }

private:
  JpegBytes b_;
  bool little_;
};

// One element of an integer type at `at`, signed for the signed types.
std::string IntegerText(const TiffReader& r, std::size_t at, unsigned type) {
  switch (type) {
    case 1: return std::to_string(r.U8(at));
    case 6: return std::to_string(static_cast<std::int8_t>(r.U8(at)));
    case 3: return std::to_string(r.U16(at));
    case 8: return std::to_string(static_cast<std::int16_t>(r.U16(at)));
    case 4: return std::to_string(r.U32(at));
    default: return std::to_string(static_cast<std::int32_t>(r.U32(at)));  // 9
  }
}

// Text up to the first zero, as UTF-8; control characters would break the line.
std::string TextValue(const std::uint8_t* p, std::size_t n) {
  const std::size_t len = static_cast<std::size_t>(std::find(p, p + n, std::uint8_t{0}) - p);
  std::string text = DecodeText(std::string_view(reinterpret_cast<const char*>(p), len));
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return text;
}

class ReportBuilder {
public:
  ReportBuilder(const TiffReader& r, ExifReport& report, std::size_t maxBytes) : r_(r), report_(report), max_(maxBytes) {}

  // Lines of the directory at offset; false when it does not fit. The first directory
  // follows its first ExifOffset entry.
  bool Directory(std::uint64_t offset, bool exifDirectory) {
    if (!r_.Fits(offset, 2)) return false;
    const std::size_t start = static_cast<std::size_t>(offset);
    const unsigned count = r_.U16(start);
    if (!r_.Fits(offset + 2, std::uint64_t{count} * 12)) return false;
    for (unsigned i = 0; i < count; ++i) {
      const std::size_t e = start + 2 + std::size_t{i} * 12;
      const std::uint16_t tag = r_.U16(e);
      const unsigned type = r_.U16(e + 2);
      if (!exifDirectory && tag == kTagExifOffset && !followedExif_) {
        followedExif_ = true;
        if (!Directory(r_.U32(e + 8), true)) return false;
        continue;
      }
      if (Silent(tag, type)) continue;
      std::string value;
      if (!Value(e, type, &value)) return false;
      Add(ExifTagName(tag, exifDirectory) + " = " + value);
    }
    return true;
  }

private:
  bool Value(std::size_t e, unsigned type, std::string* out) {
    const std::uint64_t count = r_.U32(e + 4);
    const unsigned elem = ExifElementSize(type);
    const std::uint64_t bytes = count * elem;  // below 2^35: no overflow
    const std::size_t field = e + 8;
    if (type == 2) {
      if (bytes <= 4) {
        *out = TextValue(r_.Ptr(field), static_cast<std::size_t>(bytes));
        return true;
      }
      const std::uint64_t at = r_.U32(field);
      if (!r_.Fits(at, bytes)) return false;
      *out = TextValue(r_.Ptr(static_cast<std::size_t>(at)), static_cast<std::size_t>(bytes));
      return true;
    }
    if (bytes <= 4) {
      if (type == 1 || type == 3 || type == 4 || type == 6 || type == 8 || type == 9) {
        for (std::uint64_t i = 0; i < count; ++i) {
          if (i) *out += ' ';
          *out += IntegerText(r_, field + static_cast<std::size_t>(i) * elem, type);
        }
      } else {
        *out = Hex8(r_.U32(field)) + "(Hex)";
      }
      return true;
    }
    if (type == 5 || type == 10) {
      const std::uint64_t at = r_.U32(field);
      if (!r_.Fits(at, bytes)) return false;
      for (std::uint64_t i = 0; i < count; ++i) {
        const std::size_t p = static_cast<std::size_t>(at + i * 8);
        if (i) *out += ' ';
        if (type == 5) {
          *out += std::to_string(r_.U32(p)) + "/" + std::to_string(r_.U32(p + 4));
        } else {
          *out += std::to_string(static_cast<std::int32_t>(r_.U32(p))) + "/" +
                  std::to_string(static_cast<std::int32_t>(r_.U32(p + 4)));
        }
        if (out->size() > max_) break;  // the line is cut by Add anyway
      }
      return true;
    }
    *out = Hex8(r_.U32(field)) + " [Offset data]";
    return true;
  }

  void Add(std::string line) {
    if (report_.cut) return;
    if (line.size() > max_ - used_) {
      report_.cut = true;
      return;
    }
    used_ += line.size();
    report_.lines.push_back(std::move(line));
  }

  const TiffReader& r_;
  ExifReport& report_;
  std::size_t max_;
  std::size_t used_ = 0;
  bool followedExif_ = false;
};

}  // namespace

unsigned ExifElementSize(unsigned type) {
  switch (type) {
    case 1: case 2: case 6: case 7: return 1;
    case 3: case 8: return 2;
    case 4: case 9: case 11: return 4;
    default: return 8;
  }
}

std::string ExifTagName(std::uint16_t tag, bool exifDirectory) {
  auto find = [tag](const auto& table) -> const char* {
    for (const TagName& t : table)
      if (t.tag == tag) return t.name;
    return nullptr;
  };
  const char* name = exifDirectory ? find(kExifDirectoryNames) : find(kFirstDirectoryNames);
  return name ? std::string(name) : HexUpper(tag, 4);
}

bool IsExifPayload(JpegBytes p) {
  return p.size() >= 5 && p[0] == 'E' && p[1] == 'x' && p[2] == 'i' && p[3] == 'f' && p[4] == 0;
}

ExifReport ReadExifPayload(JpegBytes payload, std::size_t maxBytes) {
  ExifReport report;
  if (!IsExifPayload(payload)) return report;
  report.found = true;
  // The TIFF header follows "Exif" and two zero bytes; its offsets count from its first byte.
  if (payload.size() < 6 + 8) {
    report.ok = false;
    return report;
  }
  const JpegBytes tiff = payload.subspan(6);
  const bool little = tiff[0] == 'I' && tiff[1] == 'I';
  const TiffReader r(tiff, little);
  ReportBuilder builder(r, report, maxBytes);
  report.ok = builder.Directory(r.U32(4), false);
  if (!report.ok) report.lines.clear();
  return report;
}

}  // namespace pelira
