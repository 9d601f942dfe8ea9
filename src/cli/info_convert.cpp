// pelira-cli info and convert: the loading pipeline without windows. They read no user
// settings; every default is written in the synopsis.
#include <cctype>
#include <ostream>
#include <string>

#include "cli/commands.h"
#include "cli/options.h"
#include "common/kind_list.h"
#include "image/bmp_graphic.h"
#include "image/codec_registry.h"
#include "image/file_bytes.h"
#include "image/image_loader.h"
#include "image/picture_file.h"
#include "edit/save_as.h"

namespace pelira::cli {

namespace {

bool ParseColour(const std::string& s, ColorValue* out) {
  if (s.size() != 6) return false;
  for (char c : s)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  const unsigned v = static_cast<unsigned>(std::stoul(s, nullptr, 16));
  *out = MakeColor(static_cast<int>((v >> 16) & 255), static_cast<int>((v >> 8) & 255), static_cast<int>(v & 255));
  return true;
}

// A name as one field of a line: names holding control characters, quotes or backslashes are
// written in double quotes with C escapes, so a newline in a name cannot split the output.
std::string Field(const std::string& name) {
  bool plain = true;
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F || c == '"' || c == '\\') plain = false;
  if (plain) return name;
  std::string out = "\"";
  for (unsigned char c : name) {
    if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (c == '"' || c == '\\') out += std::string("\\") + static_cast<char>(c);
    else if (c < 0x20 || c == 0x7F) {
      static const char* hex = "0123456789abcdef";
      out += std::string("\\x") + hex[c >> 4] + hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Reason(const TImageLoader& l) {
  return l.LastError().empty() ? std::string("cannot be opened") : l.LastError();
}

}  // namespace

int SaveTypeForPath(const std::string& path) {
  const std::string upperExt = UpperExt(path);
  if (upperExt == ".BMP" || upperExt == ".DIB") return 1;
  if (upperExt == ".PCX") return 2;
  if (upperExt == ".PNG") return 3;
  if (upperExt == ".JPG" || upperExt == ".JPEG") return 5;
  if (upperExt == ".TGA") return 6;
  if (upperExt == ".TIF" || upperExt == ".TIFF") return 7;
  return 0;
}

int WritePicture(Dib& picture, int type, const SaveOptions& options, const std::string& outPath, std::ostream& err) {
  const SaveTypeInfo& st = SaveTypeOf(type);
  if (type > SaveTypesOffered(picture.BitCount())) {
    err << "pelira-cli: " << outPath << ": " << st.filter << " needs a 1-bit picture\n";
    return 1;
  }
  // The save dialog's writers, through the same atomic write; BMP and TIFF stream to the file.
  const WriteResult written = SavePictureFile(outPath, picture, type, options);
  if (!written) {
    err << "pelira-cli: " << outPath << ": " << (written.message.empty() ? written.cause : written.message) << "\n";
    return 1;
  }
  return 0;
}

const char* SaveTypeExtension(int type) { return type >= 1 && type <= kSaveTypeCount ? SaveTypeOf(type).extension : nullptr; }
const char* SaveTypeFilter(int type) { return type >= 1 && type <= kSaveTypeCount ? SaveTypeOf(type).filter : nullptr; }

int RunInfo(const Args& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> files;
  if (!ParseOptions("info", {}, args, &files, err)) return 2;
  if (files.empty()) {
    err << "pelira-cli info: no file given (see pelira-cli --help)\n";
    return 2;
  }
  int rc = 0;
  for (const std::string& path : files) {
    TImageLoader l;
    const OpenOutcome o = l.Open(path);
    const std::string kind = ProbeKindName(UpperExt(path));
    if (o == OpenOutcome::Media || o == OpenOutcome::Slideshow) {
      out << Field(path) << "\t-\t-\t-\t" << (o == OpenOutcome::Media ? "MEDIA" : "AVL") << "\n";
    } else if (o == OpenOutcome::Blank) {
      err << "pelira-cli: " << Field(path) << ": " << Reason(l) << "\n";
      rc = 1;
    } else {
      out << Field(path) << "\t" << l.workingBitmap.Width() << "x" << l.workingBitmap.Height() << "\t"
          << l.workingBitmap.BitCount() << "\t" << l.info.pageCount << "\t" << kind << "\n";
    }
  }
  return rc;
}

namespace {

struct ConvertSettings {
  LoadSettings load;  // fax quality b/w, black background: files stay as they are
  int page = 1, type = 0;
  SaveOptions save;
};

OptionTable ConvertOptions(ConvertSettings& c) {
  OptionTable t = {
      NumberOption("--page", "N", "1-based page of a multipage file or TIFF (default 1)", 1, 1 << 20, &c.page,
                   "needs a page number from 1"),
      NumberOption("--type", "N",
                   "the save dialog's type 1..12 (1 BMP, 2 PCX, 3 PNG, 4 gray\n"
                   "JPEG, 5 colour JPEG, 6 TGA, 7-12 TIFF none/deflate/Adobe\n"
                   "deflate/G3/G4/PackBits; default: from OUT's extension,\n"
                   ".jpg = 5, .tif = 7)",
                   1, 12, &c.type, "needs a save type 1..12"),
      {"--jpeg-scale", "N", "decode a JPEG at 1/N, N = 1, 2, 4 or 8, as the viewer's\nreduced load does (default 1)",
       [&c](const std::string& v) {
         if (v != "1" && v != "2" && v != "4" && v != "8") return false;
         c.load.jpegScale = v == "1" ? 0 : v == "2" ? 1 : v == "4" ? 2 : 3;
         return true;
       },
       "is 1, 2, 4 or 8"},
      {"--fax-quality", "Q", "gray shades for 1-bit pages of multipage documents: bw,\n4, 16 or 64 (default bw: no shrink)",
       [&c](const std::string& v) {
         if (v != "bw" && v != "4" && v != "16" && v != "64") return false;
         c.load.faxQuality = v == "bw" ? 0 : v == "4" ? 1 : v == "16" ? 2 : 3;
         return true;
       },
       "is bw, 4, 16 or 64"},
      {"--background", "RRGGBB", "blank and transparency colour (default 000000)",
       [&c](const std::string& v) { return ParseColour(v, &c.load.background); },
       "needs six hexadecimal digits RRGGBB"},
  };
  AddSaveOptions(t, &c.save);
  return t;
}

}  // namespace

std::string ConvertSynopsis() {
  ConvertSettings c;
  return "  convert [OPTIONS] IN OUT\n"
         "                      load IN as the viewer does and write OUT.\n" +
         OptionHelp(ConvertOptions(c));
}

int RunConvert(const Args& args, std::ostream& out, std::ostream& err) {
  ConvertSettings c;
  std::vector<std::string> files;
  if (!ParseOptions("convert", ConvertOptions(c), args, &files, err)) return 2;
  LoadSettings& settings = c.load;
  int& page = c.page;
  int& type = c.type;
  const SaveOptions& options = c.save;
  if (files.size() != 2) {
    err << "pelira-cli convert: needs IN and OUT (see pelira-cli --help)\n";
    return 2;
  }
  const std::string& in = files[0];
  const std::string& outPath = files[1];
  if (type == 0) type = SaveTypeForPath(outPath);
  if (type == 0) {
    err << "pelira-cli convert: " << outPath << ": no save type for this extension; give --type\n";
    return 2;
  }

  TImageLoader l(settings);
  const OpenOutcome o = l.Open(in);
  if (o == OpenOutcome::Media || o == OpenOutcome::Slideshow) {
    err << "pelira-cli: " << in << ": not a picture\n";
    return 1;
  }
  if (o == OpenOutcome::Blank) {
    err << "pelira-cli: " << in << ": " << Reason(l) << "\n";
    return 1;
  }
  if (page > l.info.pageCount) {
    err << "pelira-cli: " << in << ": page " << page << " does not exist (the file has " << l.info.pageCount << ")\n";
    return 1;
  }
  if (page > 1 && !l.LoadByExtension(true, page - 1)) {
    err << "pelira-cli: " << in << ": page " << page << ": " << Reason(l) << "\n";
    return 1;
  }
  (void)out;
  return WritePicture(l.workingBitmap, type, options, outPath, err);
}

}  // namespace pelira::cli
