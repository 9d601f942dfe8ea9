// pelira-cli info and convert: the loading pipeline without windows. They read no user
// settings; every default is written in the synopsis.
#include <cctype>
#include <ostream>
#include <string>

#include "cli/commands.h"
#include "common/kind_list.h"
#include "image/bmp_graphic.h"
#include "image/codec_registry.h"
#include "image/file_bytes.h"
#include "image/image_loader.h"
#include "edit/save_as.h"

namespace pelira::cli {

namespace {

bool ParseInt(const std::string& s, int lo, int hi, int* out) {
  if (s.empty() || s.size() > 9) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  const int v = std::stoi(s);
  if (v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool ParseColour(const std::string& s, ColorValue* out) {
  if (s.size() != 6) return false;
  for (char c : s)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  const unsigned v = static_cast<unsigned>(std::stoul(s, nullptr, 16));
  *out = MakeColor(static_cast<int>((v >> 16) & 255), static_cast<int>((v >> 8) & 255), static_cast<int>(v & 255));
  return true;
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

int WritePicture(const Dib& picture, int type, const SaveOptions& options, const std::string& outPath,
                 std::ostream& err) {
  const SaveTypeInfo& st = SaveTypeOf(type);
  if (type > SaveTypesOffered(picture.BitCount())) {
    err << "pelira-cli: " << outPath << ": " << st.filter << " needs a 1-bit picture\n";
    return 1;
  }
  // The save dialog's writers, through the same atomic write.
  try {
    const Bytes bytes = EncodeForSave(picture, type, options);
    WriteFileAtomic(outPath, bytes);
  } catch (const std::exception& e) {
    err << "pelira-cli: " << outPath << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}

const char* SaveTypeExtension(int type) { return type >= 1 && type <= kSaveTypeCount ? SaveTypeOf(type).extension : nullptr; }
const char* SaveTypeFilter(int type) { return type >= 1 && type <= kSaveTypeCount ? SaveTypeOf(type).filter : nullptr; }

int RunInfo(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "pelira-cli info: no file given (see pelira-cli --help)\n";
    return 2;
  }
  for (const std::string& a : args)
    if (a.size() > 1 && a[0] == '-') {
      err << "pelira-cli info: unknown option '" << a << "'\n";
      return 2;
    }
  int rc = 0;
  for (const std::string& path : args) {
    TImageLoader l;
    const OpenOutcome o = l.Open(path);
    const std::string kind = ProbeKindName(UpperExt(path));
    if (o == OpenOutcome::Media || o == OpenOutcome::Slideshow) {
      out << path << "\t-\t-\t-\t" << (o == OpenOutcome::Media ? "MEDIA" : "AVL") << "\n";
    } else if (o == OpenOutcome::Blank) {
      err << "pelira-cli: " << path << ": " << Reason(l) << "\n";
      rc = 1;
    } else {
      out << path << "\t" << l.workingBitmap.Width() << "x" << l.workingBitmap.Height() << "\t"
          << l.workingBitmap.BitCount() << "\t" << l.info.pageCount << "\t" << kind << "\n";
    }
  }
  return rc;
}

int RunConvert(const Args& args, std::ostream& out, std::ostream& err) {
  LoadSettings settings;  // fax quality b/w, black background: files stay as they are
  int page = 1, type = 0;
  SaveOptions options;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* v) {
      if (i + 1 >= args.size()) return false;
      *v = args[++i];
      return true;
    };
    std::string v;
    if (a == "--page") {
      if (!value(&v) || !ParseInt(v, 1, 1 << 20, &page)) {
        err << "pelira-cli convert: --page needs a page number from 1\n";
        return 2;
      }
    } else if (a == "--type") {
      if (!value(&v) || !ParseInt(v, 1, 12, &type)) {
        err << "pelira-cli convert: --type needs a save type 1..12\n";
        return 2;
      }
    } else if (a == "--quality") {
      if (!value(&v) || !ParseInt(v, 1, 99, &options.quality)) {
        err << "pelira-cli convert: --quality needs a compression value 1..99\n";
        return 2;
      }
    } else if (a == "--no-progressive") {
      options.progressive = false;
    } else if (a == "--jpeg-scale") {
      int n = 0;
      if (!value(&v) || !ParseInt(v, 1, 8, &n) || (n & (n - 1)) != 0) {
        err << "pelira-cli convert: --jpeg-scale is 1, 2, 4 or 8\n";
        return 2;
      }
      settings.jpegScale = n == 1 ? 0 : n == 2 ? 1 : n == 4 ? 2 : 3;
    } else if (a == "--fax-quality") {
      if (!value(&v) || (v != "bw" && v != "4" && v != "16" && v != "64")) {
        err << "pelira-cli convert: --fax-quality is bw, 4, 16 or 64\n";
        return 2;
      }
      settings.faxQuality = v == "bw" ? 0 : v == "4" ? 1 : v == "16" ? 2 : 3;
    } else if (a == "--background") {
      if (!value(&v) || !ParseColour(v, &settings.background)) {
        err << "pelira-cli convert: --background needs six hexadecimal digits RRGGBB\n";
        return 2;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      err << "pelira-cli convert: unknown option '" << a << "'\n";
      return 2;
    } else {
      files.push_back(a);
    }
  }
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
