#include "album/avl_script.h"

#include <algorithm>
#include <charconv>

#include "common/text_encoding.h"

namespace pelira {

namespace {

// Calls fn(line) for every line of text (CR, LF or CRLF ends); stops when fn answers false.
template <typename Fn>
void ForEachLine(std::string_view text, Fn&& fn) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t e = text.find_first_of("\r\n", i);
    if (e == std::string_view::npos) e = text.size();
    if (!fn(text.substr(i, e - i))) return;
    if (e < text.size() && text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n') ++e;
    i = e + 1;
  }
}

bool EqualsFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::optional<std::int64_t> ParseDec(std::string_view s) {
  s = Trim(s);
  if (s.empty()) return std::nullopt;
  std::int64_t v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    // A number too long for 64 bits saturates rather than failing.
    return s.front() == '-' ? INT64_MIN : INT64_MAX;
  }
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<std::int64_t> ParseHex(std::string_view s) {
  s = Trim(s);
  if (s.empty()) return std::nullopt;
  std::uint64_t v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v, 16);
  if (r.ec == std::errc::result_out_of_range) return INT64_MAX;
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  return static_cast<std::int64_t>(std::min<std::uint64_t>(v, INT64_MAX));
}

std::int16_t Sat16(std::int64_t v) { return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767)); }

bool ParsePair(std::string_view s, std::int16_t& a, std::int16_t& b) {
  const auto comma = s.find(',');
  if (comma == std::string_view::npos) return false;
  const auto x = ParseDec(s.substr(0, comma));
  const auto y = ParseDec(s.substr(comma + 1));
  if (!x || !y) return false;
  a = Sat16(*x);
  b = Sat16(*y);
  return true;
}

}  // namespace

std::string DecodeLine(std::string_view line) {
  if (IsValidUtf8(line)) return std::string(line);
  return Cp1252ToUtf8(line);
}

bool AvlNeedsEscape(std::string_view s) { return s.find_first_of(",[]") != std::string_view::npos; }

std::string AvlEscape(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c == ',')
      c = '?';
    else if (c == '[')
      c = '<';
    else if (c == ']')
      c = '>';
  }
  return out;
}

std::string AvlUnescape(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c == '?')
      c = ',';
    else if (c == '<')
      c = '[';
    else if (c == '>')
      c = ']';
  }
  return out;
}

bool AvlHeader::AllSidePaths() const {
  return std::all_of(std::begin(sidePaths), std::end(sidePaths), [](const std::string& p) { return !p.empty(); });
}

AvlHeader AvlScript::ParseHeader(std::string_view part) {
  AvlHeader h;
  enum { kBefore, kHeader, kBetween, kDirs, kDone } state = kBefore;
  bool seen[10] = {};
  std::int64_t expected = 0;
  ForEachLine(part, [&](std::string_view raw) {
    const std::string_view line = Trim(raw);
    const bool bracket = line.find('[') != std::string_view::npos;
    if (state == kHeader || state == kDirs) {
      if (bracket) state = state == kHeader ? kBetween : kDone;
    }
    if (state == kBefore || state == kBetween) {
      if (EqualsFolded(line, "[Header]") && state == kBefore) state = kHeader;
      else if (EqualsFolded(line, "[Directory]")) state = kDirs;
      return true;
    }
    if (state == kDone) return false;
    if (line.empty()) return true;
    if (state == kHeader) {
      const auto eq = line.find('=');
      if (eq == std::string_view::npos) return true;
      const std::string_view key = Trim(line.substr(0, eq));
      const std::string_view value = line.substr(eq + 1);
      static constexpr const char* kKeys[10] = {"N", "@N", "@V", "@R", "@D", "@C", "RUN", "THMREC", "VER", "SIG"};
      for (int k = 0; k < 10; ++k) {
        if (!EqualsFolded(key, kKeys[k]) || seen[k]) continue;
        seen[k] = true;  // the first of duplicate keys counts
        if (k == 0) {
          h.n = ParseDec(value).value_or(0);
        } else if (k <= 5) {
          h.sidePaths[k - 1] = DecodeLine(value);
        } else if (k == 6) {
          h.run = ParseDec(value).value_or(1);
        } else if (k == 7) {
          h.thmrec = std::string(value);
        } else if (k == 9) {
          h.signature = std::string(Trim(value));
        }
      }
      return true;
    }
    // Directory lines: "index=directory", numbered 0, 1, 2, ...
    const auto eq = line.find('=');
    const auto num = eq == std::string_view::npos ? std::nullopt : ParseDec(line.substr(0, eq));
    if (!num || *num != expected) {
      h.directoriesInSequence = false;
      state = kDone;
      return false;
    }
    ++expected;
    std::string rawDir = DecodeLine(line.substr(eq + 1));
    std::string dir = AvlUnescape(rawDir);
    if (dir.empty()) dir = rawDir = "c:\\";
    h.rawDirectories.push_back(std::move(rawDir));
    h.directories.push_back(std::move(dir));
    return true;
  });
  h.slideCount = h.n > 1 ? h.n - 1 : 0;
  return h;
}

std::optional<AvlScript> AvlScript::Open(std::string_view bytes) {
  const auto first = bytes.find("[1]");
  if (first == std::string_view::npos) return std::nullopt;
  AvlScript s;
  s.bytes_ = bytes;
  s.pos_ = first;
  s.header_ = ParseHeader(bytes.substr(0, first));
  return s;
}

bool AvlScript::NextSection(std::int64_t i, AvlSlide& out) {
  out = AvlSlide{};
  if (pos_ >= bytes_.size()) return false;
  std::size_t end = bytes_.find('[', pos_ + 1);
  if (end == std::string_view::npos) end = bytes_.size();
  const std::string_view section = bytes_.substr(pos_, end - pos_);
  pos_ = end;

  const std::string head = "[" + std::to_string(i) + "]";
  bool seen[11] = {};
  bool inKeys = false, done = false;
  std::size_t lineNo = 0;
  // The slide's line is the first one, or failing that a line equal to "[i]".
  ForEachLine(section, [&](std::string_view line) {
    if (!inKeys) {
      const bool isHead = lineNo == 0 ? line.substr(0, head.size()) == head : line == head;
      ++lineNo;
      if (isHead) {
        inKeys = true;
        out.found = true;
      }
      return true;
    }
    if (!line.empty() && line.front() == '[') {
      done = true;
      return false;
    }
    if (line.size() <= 2 || line[1] != '=') return true;
    static constexpr char kKeys[] = "FBEXWZGYPUS";
    const char* k = std::find(kKeys, kKeys + 11, line[0]);
    if (k == kKeys + 11) return true;
    const auto idx = static_cast<std::size_t>(k - kKeys);
    if (seen[idx]) return true;
    seen[idx] = true;
    const std::string_view v = line.substr(2);
    switch (line[0]) {
      case 'F': {
        const auto comma = v.find(',');
        if (comma == std::string_view::npos) {
          out.cdTrack = true;
          break;
        }
        out.rawName = DecodeLine(v.substr(0, comma));
        out.name = AvlUnescape(out.rawName);
        // An empty name names no file (it stays empty and is reported missing).
        const auto dot = out.name.rfind('.');
        if (!out.name.empty() && (dot == std::string::npos || dot == 0)) out.name += ".JPG";
        const std::string_view d = Trim(v.substr(comma + 1));
        if (d.empty()) {
          out.dirIndex = 0;
        } else if (auto n = ParseDec(d)) {
          out.dirIndex = *n;
        } else {
          out.dirIndexOk = false;
        }
        break;
      }
      case 'B':
        if (auto n = ParseHex(v)) out.background = static_cast<std::int32_t>(*n & 0xFFFFFF);
        break;
      case 'E': out.effect = Sat16(ParseHex(v).value_or(0)); break;
      case 'X': out.track = Sat16(ParseDec(v).value_or(1)); break;
      case 'W': out.wait = Sat16(std::max<std::int64_t>(0, ParseDec(v).value_or(0))); break;
      case 'Z': out.zoom = Sat16(ParseDec(v).value_or(100)); break;
      case 'G': {
        const auto g = ParseHex(v).value_or(100);
        out.gamma = g < 1 ? std::int16_t{100} : Sat16(g);
        break;
      }
      case 'Y': out.rotate = Sat16(ParseDec(v).value_or(0)); break;
      case 'P':
        if (!ParsePair(v, out.posX, out.posY)) out.posX = out.posY = -1;
        break;
      case 'U':
        if (!ParsePair(v, out.panelW, out.panelH)) out.panelW = out.panelH = 0;
        break;
      case 'S': out.comment = AvlUnescape(DecodeLine(v)); break;
      default: break;
    }
    return true;
  });
  (void)done;
  if (out.cdTrack && out.track < 1) out.track = 1;
  return true;
}

std::vector<AvlCandidate> AvlCandidatePaths(const AvlHeader& h, const AvlSlide& s) {
  std::vector<AvlCandidate> out;
  if (s.cdTrack || !s.dirIndexOk || s.dirIndex < 0 || static_cast<std::uint64_t>(s.dirIndex) >= h.directories.size())
    return out;
  const auto i = static_cast<std::size_t>(s.dirIndex);
  const std::string* dirs[2] = {&h.directories[i], i < h.rawDirectories.size() ? &h.rawDirectories[i] : &h.directories[i]};
  const std::string* names[2] = {&s.name, &s.rawName};
  auto oneComponent = [](const std::string& n) {
    return !n.empty() && n != "." && n != ".." && n.find('/') == std::string::npos && n.find('\0') == std::string::npos;
  };
  for (std::size_t d = 0; d < 2; ++d) {
    if (d == 1 && *dirs[1] == *dirs[0]) break;
    const std::string& dir = *dirs[d];
    if (dir.empty() || dir.front() != '/' || dir.back() != '/') continue;
    for (std::size_t k = 0; k < 2; ++k) {
      if (k == 1 && *names[1] == *names[0]) break;
      if (!oneComponent(*names[k])) continue;
      out.push_back({d, dir, *names[k]});
    }
  }
  return out;
}

}  // namespace pelira
