#include "image/rich_text.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "common/text_encoding.h"

namespace pelira {

namespace {

struct RtfState {
  TTextRun style;
  int colorIndex = -1;
  int fontIndex = -1;
  int skipAfterUnicode = 1;
  bool skip = false;         // a destination without body text
  enum Table { None, Fonts, Colors } table = None;
};

class RtfReader {
public:
  explicit RtfReader(std::string_view s) : s_(s) {}

  TRichText Read() {
    if (!LooksLikeRtf(s_)) throw ERtfError("Not an RTF document");
    doc_.paragraphs.emplace_back();
    std::vector<RtfState> stack;
    RtfState st;
    while (i_ < s_.size()) {
      const char c = s_[i_];
      if (c == '{') {
        ++i_;
        if (static_cast<int>(stack.size()) >= kMaxRtfDepth) throw ERtfError("RTF groups nested too deeply");
        stack.push_back(st);
        destinationStart_ = true;
        continue;
      }
      if (c == '}') {
        ++i_;
        if (st.table == RtfState::Fonts) EndFontEntry();
        if (stack.empty()) break;  // the document's own group closed
        st = stack.back();
        stack.pop_back();
        destinationStart_ = false;
        continue;
      }
      if (c == '\\') {
        ControlWord(st);
        continue;
      }
      destinationStart_ = false;
      ++i_;
      if (c == '\r' || c == '\n') continue;
      if (st.table == RtfState::Colors) {
        if (c == ';') colors_.push_back(nextColor_), nextColor_ = {}, colorSet_ = false;
        continue;
      }
      if (st.table == RtfState::Fonts) {
        if (c == ';') EndFontEntry();
        else fontName_ += c;
        continue;
      }
      if (st.skip) continue;
      if (static_cast<unsigned char>(c) >= 0x80) {
        Text(st, Cp1252ToUtf8(std::string_view(&c, 1)));
      } else {
        Text(st, std::string(1, c));
      }
    }
    // A last paragraph without \par still shows; an empty trailing one does not.
    if (doc_.paragraphs.size() > 1 && doc_.paragraphs.back().runs.empty()) doc_.paragraphs.pop_back();
    return std::move(doc_);
  }

private:
  void Text(const RtfState& st, const std::string& utf8) {
    if (bytes_ + utf8.size() > kMaxTextBytes) return;
    bytes_ += utf8.size();
    TTextParagraph& p = doc_.paragraphs.back();
    TTextRun style = st.style;
    if (st.colorIndex > 0 && static_cast<std::size_t>(st.colorIndex) < colors_.size()) {
      style.hasColor = true;
      style.color = colors_[static_cast<std::size_t>(st.colorIndex)];
    }
    if (st.fontIndex >= 0)
      for (const auto& f : fonts_)
        if (f.first == st.fontIndex) style.font = f.second;
    if (!p.runs.empty()) {
      TTextRun& last = p.runs.back();
      TTextRun probe = style;
      probe.text = last.text;
      if (probe == last) {
        last.text += utf8;
        return;
      }
    }
    style.text = utf8;
    p.runs.push_back(std::move(style));
  }

  void EndFontEntry() {
    std::string name = fontName_;
    while (!name.empty() && (name.back() == ' ' || name.back() == ';')) name.pop_back();
    while (!name.empty() && name.front() == ' ') name.erase(name.begin());
    if (currentFont_ >= 0 && !name.empty()) fonts_.emplace_back(currentFont_, name);
    fontName_.clear();
    currentFont_ = -1;
  }

  void ControlWord(RtfState& st) {
    ++i_;  // the backslash
    if (i_ >= s_.size()) return;
    const char c = s_[i_];
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      ++i_;
      const bool first = destinationStart_;
      destinationStart_ = false;
      switch (c) {
        case '*':
          if (first) st.skip = true;
          return;
        case '\'': {
          if (i_ + 2 > s_.size()) return;
          const int hi = Hex(s_[i_]), lo = Hex(s_[i_ + 1]);
          i_ += 2;
          if (hi < 0 || lo < 0) return;
          const char b = static_cast<char>(hi * 16 + lo);
          if (st.table == RtfState::Fonts) fontName_ += b;
          else if (!st.skip && st.table == RtfState::None) Text(st, Cp1252ToUtf8(std::string_view(&b, 1)));
          return;
        }
        case '~': if (!st.skip && st.table == RtfState::None) Text(st, "\xC2\xA0"); return;
        case '-': return;
        case '_': if (!st.skip && st.table == RtfState::None) Text(st, "-"); return;
        case '\n':
        case '\r':
          if (!st.skip && st.table == RtfState::None) NewParagraph(st);
          return;
        default:
          if (!st.skip && st.table == RtfState::None) Text(st, std::string(1, c));
          return;
      }
    }
    const std::size_t start = i_;
    while (i_ < s_.size() && std::isalpha(static_cast<unsigned char>(s_[i_])) && i_ - start < 32) ++i_;
    const std::string_view word = s_.substr(start, i_ - start);
    bool hasArg = false;
    long arg = 0;
    bool negative = false;
    if (i_ < s_.size() && s_[i_] == '-') negative = true, ++i_;
    const std::size_t digits = i_;
    while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_])) && i_ - digits < 10) {
      arg = arg * 10 + (s_[i_] - '0');
      ++i_;
    }
    hasArg = i_ > digits;
    if (negative) arg = -arg;
    if (i_ < s_.size() && s_[i_] == ' ') ++i_;
    const bool first = destinationStart_;
    destinationStart_ = false;
    Apply(st, word, hasArg, arg, first);
  }

  static int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  void NewParagraph(const RtfState& st) {
    doc_.paragraphs.emplace_back();
    doc_.paragraphs.back().align = align_;
    (void)st;
  }

  void Apply(RtfState& st, std::string_view w, bool hasArg, long arg, bool first) {
    const bool on = !hasArg || arg != 0;
    static constexpr std::string_view kSkipped[] = {"stylesheet", "info", "pict", "header", "footer", "headerl",
                                                    "headerr", "footerl", "footerr", "object", "fldinst",
                                                    "listtable", "listoverridetable", "revtbl", "rsidtbl",
                                                    "generator", "xmlnstbl", "themedata", "colorschememapping",
                                                    "latentstyles", "datastore", "footnote", "pn", "filetbl"};
    if (first || w == "pict" || w == "fldinst") {
      for (std::string_view k : kSkipped)
        if (w == k) {
          st.skip = true;
          return;
        }
    }
    if (w == "bin") {
      // Binary data: passed over whole, never read as text.
      const std::size_t n = hasArg && arg > 0 ? static_cast<std::size_t>(arg) : 0;
      i_ = n > s_.size() - i_ ? s_.size() : i_ + n;
      return;
    }
    if (w == "fonttbl") {
      st.table = RtfState::Fonts;
      return;
    }
    if (w == "colortbl") {
      st.table = RtfState::Colors;
      return;
    }
    if (st.table == RtfState::Colors) {
      const int v = static_cast<int>(std::clamp<long>(arg, 0, 255));
      if (w == "red") nextColor_ = MakeColor(v, GreenOf(nextColor_), BlueOf(nextColor_)), colorSet_ = true;
      else if (w == "green") nextColor_ = MakeColor(RedOf(nextColor_), v, BlueOf(nextColor_)), colorSet_ = true;
      else if (w == "blue") nextColor_ = MakeColor(RedOf(nextColor_), GreenOf(nextColor_), v), colorSet_ = true;
      return;
    }
    if (st.table == RtfState::Fonts) {
      if (w == "f" && hasArg) currentFont_ = static_cast<int>(arg);
      return;
    }
    if (w == "par" || w == "sect" || w == "page") {
      if (!st.skip) NewParagraph(st);
      return;
    }
    if (st.skip) return;
    if (w == "line") Text(st, "\n");
    else if (w == "tab") Text(st, "\t");
    else if (w == "emdash") Text(st, "\xE2\x80\x94");
    else if (w == "endash") Text(st, "\xE2\x80\x93");
    else if (w == "bullet") Text(st, "\xE2\x80\xA2");
    else if (w == "lquote") Text(st, "\xE2\x80\x98");
    else if (w == "rquote") Text(st, "\xE2\x80\x99");
    else if (w == "ldblquote") Text(st, "\xE2\x80\x9C");
    else if (w == "rdblquote") Text(st, "\xE2\x80\x9D");
    else if (w == "b") st.style.bold = on;
    else if (w == "i") st.style.italic = on;
    else if (w == "ul") st.style.underline = on;
    else if (w == "ulnone") st.style.underline = false;
    else if (w == "fs" && hasArg && arg > 0) st.style.pointSize = std::min(arg, 3276L) / 2.0;
    else if (w == "cf" && hasArg) st.colorIndex = static_cast<int>(std::clamp<long>(arg, -1, 65535));
    else if (w == "f" && hasArg) st.fontIndex = static_cast<int>(arg);
    else if (w == "uc" && hasArg) st.skipAfterUnicode = static_cast<int>(std::clamp<long>(arg, 0, 10));
    else if (w == "u" && hasArg) {
      long u = arg < 0 ? arg + 65536 : arg;
      Text(st, [&] {
        std::string s;
        AppendUtf8(s, static_cast<std::uint32_t>(std::clamp<long>(u, 0, 0x10FFFF)));
        return s;
      }());
      SkipReplacement(st.skipAfterUnicode);
    } else if (w == "plain") {
      st.style = TTextRun{};
      st.colorIndex = -1;
      st.fontIndex = -1;
    } else if (w == "pard") {
      align_ = TTextParagraph::Left;
      doc_.paragraphs.back().align = align_;
    } else if (w == "qc" || w == "qr" || w == "ql" || w == "qj") {
      align_ = w == "qc" ? TTextParagraph::Center : w == "qr" ? TTextParagraph::Right
             : w == "qj" ? TTextParagraph::Justify : TTextParagraph::Left;
      doc_.paragraphs.back().align = align_;
    }
  }

  // The characters standing in for a \u character in readers that know no Unicode.
  void SkipReplacement(int n) {
    while (n > 0 && i_ < s_.size()) {
      const char c = s_[i_];
      if (c == '{' || c == '}') return;
      if (c == '\\') {
        if (i_ + 1 < s_.size() && s_[i_ + 1] == '\'') {
          i_ = std::min(s_.size(), i_ + 4);
        } else {
          // A control word counts as one character.
          ++i_;
          while (i_ < s_.size() && std::isalpha(static_cast<unsigned char>(s_[i_]))) ++i_;
          while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) || s_[i_] == '-')) ++i_;
          if (i_ < s_.size() && s_[i_] == ' ') ++i_;
        }
      } else {
        ++i_;
      }
      --n;
    }
  }

  std::string_view s_;
  std::size_t i_ = 0;
  TRichText doc_;
  std::size_t bytes_ = 0;
  bool destinationStart_ = false;
  TTextParagraph::Align align_ = TTextParagraph::Left;
  std::vector<ColorValue> colors_;
  ColorValue nextColor_ = 0;
  bool colorSet_ = false;
  std::vector<std::pair<int, std::string>> fonts_;
  std::string fontName_;
  int currentFont_ = -1;
};

}  // namespace

std::string TTextParagraph::Text() const {
  std::string s;
  for (const TTextRun& r : runs) s += r.text;
  return s;
}

bool LooksLikeRtf(std::string_view b) { return b.size() >= 5 && b.substr(0, 5) == "{\\rtf"; }

TRichText ReadRtf(std::string_view bytes) { return RtfReader(bytes).Read(); }

TRichText ReadPlainText(std::string_view bytes) {
  if (bytes.size() > kMaxTextBytes) bytes = bytes.substr(0, kMaxTextBytes);
  TRichText doc;
  doc.monospace = true;
  for (const std::string& line : SplitLines(DecodeText(bytes))) {
    TTextParagraph p;
    if (!line.empty()) {
      TTextRun r;
      r.text = line;
      p.runs.push_back(std::move(r));
    }
    doc.paragraphs.push_back(std::move(p));
  }
  return doc;
}

TRichText ReadTextPage(std::string_view bytes) { return LooksLikeRtf(bytes) ? ReadRtf(bytes) : ReadPlainText(bytes); }

}  // namespace pelira
