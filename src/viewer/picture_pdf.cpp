#include "viewer/picture_pdf.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>

#include "common/errors.h"

namespace pelira {

namespace {

std::string Number(double v) {
  char s[48];
  std::snprintf(s, sizeof s, "%.4f", v);
  // Trailing zeros say nothing.
  std::string t = s;
  while (!t.empty() && t.back() == '0') t.pop_back();
  if (!t.empty() && t.back() == '.') t.pop_back();
  return t.empty() || t == "-" ? "0" : t;
}

// A PDF text string: ASCII kept, the three special characters escaped, others octal.
std::string PdfString(const std::string& s) {
  std::string out = "(";
  for (unsigned char c : s) {
    if (c == '(' || c == ')' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 32 || c > 126) {
      char oct[8];
      std::snprintf(oct, sizeof oct, "\\%03o", c);
      out += oct;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + ")";
}

std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> out(size);
  if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
    throw EVistrelError("PDF compression failed");
  out.resize(size);
  return out;
}

}  // namespace

std::vector<std::uint8_t> PicturePdf(const Dib& picture, const PdfPlacement& p, const std::string& title) {
  if (picture.Empty()) throw EVistrelError("No picture to print");
  if (!(p.w > 0 && p.h > 0 && p.pageW > 0 && p.pageH > 0)) throw EVistrelError("Nothing to print on");
  const int w = picture.Width(), h = picture.Height();
  std::vector<std::uint8_t> rgb;
  rgb.reserve(static_cast<std::size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    if (picture.BitCount() == 24) {
      const std::uint8_t* s = picture.ScanLine(y);
      for (int x = 0; x < w; ++x, s += 3) rgb.insert(rgb.end(), {s[2], s[1], s[0]});
    } else {
      for (int x = 0; x < w; ++x) {
        const ColorValue c = picture.Pixel(x, y);
        rgb.insert(rgb.end(), {static_cast<std::uint8_t>(RedOf(c)), static_cast<std::uint8_t>(GreenOf(c)),
                               static_cast<std::uint8_t>(BlueOf(c))});
      }
    }
  }
  const std::vector<std::uint8_t> image = Deflate(rgb);
  const std::string content = "q " + Number(p.w) + " 0 0 " + Number(p.h) + " " + Number(p.x) + " " +
                              Number(p.pageH - p.y - p.h) + " cm /Im0 Do Q\n";

  std::vector<std::uint8_t> out;
  std::vector<std::size_t> offsets;
  const auto put = [&out](const std::string& s) { out.insert(out.end(), s.begin(), s.end()); };
  const auto object = [&](const std::string& body) {
    offsets.push_back(out.size());
    put(std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n");
  };
  put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  object("<< /Type /Catalog /Pages 2 0 R >>");
  object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + Number(p.pageW) + " " + Number(p.pageH) +
         "] /Resources << /XObject << /Im0 5 0 R >> >> /Contents 4 0 R >>");
  object("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream");
  offsets.push_back(out.size());
  put("5 0 obj\n<< /Type /XObject /Subtype /Image /Width " + std::to_string(w) + " /Height " + std::to_string(h) +
      " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode /Length " + std::to_string(image.size()) +
      " >>\nstream\n");
  out.insert(out.end(), image.begin(), image.end());
  put("\nendstream\nendobj\n");
  object("<< /Title " + PdfString(title) + " /Producer (Pelira) >>");
  const std::size_t xref = out.size();
  put("xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n");
  for (std::size_t o : offsets) {
    char line[24];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
    put(line);
  }
  put("trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R /Info 6 0 R >>\nstartxref\n" +
      std::to_string(xref) + "\n%%EOF\n");
  return out;
}

bool PaperInches(const std::string& name, double* width, double* height) {
  struct Paper { const char* name; double w, h; };
  static const Paper kPapers[] = {{"letter", 8.5, 11},
                                  {"legal", 8.5, 14},
                                  {"a4", 210 / 25.4, 297 / 25.4},
                                  {"a3", 297 / 25.4, 420 / 25.4},
                                  {"a5", 148 / 25.4, 210 / 25.4}};
  for (const Paper& p : kPapers)
    if (name == p.name) {
      *width = p.w;
      *height = p.h;
      return true;
    }
  return false;
}

}  // namespace pelira
