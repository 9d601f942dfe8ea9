#include "batch/script_language.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace pelira {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

bool HasTextMarker(std::string_view upper) {
  for (std::string_view m : {"TEXTMARK", "SAVE", "STRING", "LOADFILE"})
    if (upper.find(m) != std::string_view::npos) return true;
  return false;
}

}  // namespace

std::string AsciiUpper(std::string_view s) {
  std::string u(s);
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

bool ParseScriptNumber(std::string_view piece, std::int32_t* out) {
  std::size_t i = 0;
  while (i < piece.size() && IsBlank(piece[i])) ++i;
  piece.remove_prefix(i);
  if (piece.empty()) {
    *out = 0;
    return true;
  }
  bool negative = false;
  if (piece.front() == '-') {
    negative = true;
    piece.remove_prefix(1);
  }
  if (piece.empty()) return false;
  std::int64_t v = 0;
  for (char c : piece) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<std::int32_t>::max() || v < std::numeric_limits<std::int32_t>::min()) return false;
  *out = static_cast<std::int32_t>(v);
  return true;
}

ParsedLine ParseScriptLine(std::string_view line, ScriptRegisters& regs) {
  ParsedLine p;
  regs.text = std::string(line);
  const std::string u = AsciiUpper(line);
  if (u.empty()) return p;
  const std::size_t eq = u.find('=');
  const bool hasEq = eq != std::string::npos && eq > 0;
  if (HasTextMarker(u)) {
    p.textCommand = true;
    if (hasEq) {
      p.word = Trim(std::string_view(u).substr(0, eq));
      regs.text = std::string(line.substr(eq + 1));
    } else {
      p.word = Trim(u);
    }
    return p;
  }
  if (!hasEq) {
    p.word = Trim(u);
    return p;
  }
  const std::string_view rest = std::string_view(u).substr(eq + 1);
  std::array<std::string_view, 3> piece{};
  const std::size_t c1 = rest.find(',');
  if (c1 == std::string_view::npos) {
    piece[0] = rest;
  } else {
    piece[0] = rest.substr(0, c1);
    const std::size_t c2 = rest.find(',', c1 + 1);
    if (c2 == std::string_view::npos) {
      piece[1] = rest.substr(c1 + 1);
    } else {
      piece[1] = rest.substr(c1 + 1, c2 - c1 - 1);
      piece[2] = rest.substr(c2 + 1);  // a fourth argument fails here
    }
  }
  std::array<std::int32_t, 3> v{};
  for (int k = 0; k < 3; ++k)
    if (!ParseScriptNumber(piece[k], &v[k])) return p;  // empty word: the line does nothing
  regs.a = v;
  p.word = Trim(std::string_view(u).substr(0, eq));
  p.hadArguments = true;
  return p;
}

const ScriptCommandInfo* FindScriptCommand(std::string_view upperWord) {
  using A = ScriptArgs;
  static const ScriptCommandInfo table[] = {
      // control and file commands
      {"PROMPT", A::None, false}, {"PROMPTSTRING", A::Text, false}, {"PROMPT_NOT_FILESTRING", A::Text, false},
      {"PROMPT_HAS_FILESTRING", A::Text, false}, {"TRACE", A::None, false}, {"LOOP", A::None, false},
      {"NEXT", A::None, true}, {"PREVIOUS", A::None, true}, {"RELOAD", A::None, true},
      {"LOADFILE", A::Text, false}, {"SAVE", A::Text, false}, {"DELETE", A::None, false},
      {"NOMODIFYFLAG", A::None, true}, {"REFRESH", A::None, false}, {"TRUECOLOR", A::None, false},
      {"CLEARBUFFERS", A::None, false},
      // tone and histogram
      {"GAMMA", A::Numbers, false}, {"GAMMA_SUPRESS", A::Numbers, false}, {"GAMMA_SUPPRESS", A::Numbers, false},
      {"GAMMA_SATURATION", A::Numbers, false}, {"BRIGHTNESS", A::Numbers, false}, {"SHIFT", A::Numbers, false},
      {"ZERO", A::None, false}, {"CONTRAST", A::Numbers, false}, {"WHITEBALANCE", A::Numbers, true},
      {"AUTO_BALANCE", A::None, true}, {"UNWASH", A::None, false}, {"UNCOOK", A::None, false},
      {"ATTENUATE", A::None, false}, {"NEGATIVE", A::None, true}, {"ENHANCE", A::Numbers, false},
      {"SHADOWS", A::Numbers, false}, {"HIGHLIGHTS", A::Numbers, false}, {"LIGHTING", A::Numbers, false},
      {"SATURATION", A::Numbers, false}, {"SUPRESS", A::Numbers, false}, {"SUPPRESS", A::Numbers, false},
      {"AUTO_CONTRAST", A::None, true}, {"AUTO_LIGHTING", A::None, true}, {"AUTO_SATURATE", A::None, true},
      {"NORMALIZE", A::None, true}, {"OPTIMIZE", A::None, true}, {"EQUALIZE", A::None, true},
      {"ZEROMAP", A::None, true}, {"CENTER", A::None, true}, {"MAP_EQ", A::Numbers, true},
      {"MAP_RED", A::Numbers, true}, {"MAP_GRN", A::Numbers, true}, {"MAP_BLU", A::Numbers, true},
      {"MAP_LIT", A::Numbers, true}, {"MAP_SAT", A::Numbers, true}, {"MAP_RGB", A::Numbers, true},
      {"CONFORM_RED", A::Numbers, true}, {"CONFORM_GRN", A::Numbers, true}, {"CONFORM_BLU", A::Numbers, true},
      {"CONFORM_LIT", A::Numbers, true}, {"CONFORM_SAT", A::Numbers, true},
      {"CONFORM_GAMMA_RGB", A::Numbers, true}, {"CONFORM_GAMMA", A::Numbers, true},
      {"LIMIT_ALL", A::Numbers, true}, {"LIMIT_RED", A::Numbers, true}, {"LIMIT_GRN", A::Numbers, true},
      {"LIMIT_BLU", A::Numbers, true}, {"PARAMETRIC_EQ_ALL", A::Numbers, false},
      {"PARAMETRIC_EQ_RED", A::Numbers, false}, {"PARAMETRIC_EQ_GRN", A::Numbers, false},
      {"PARAMETRIC_EQ_BLU", A::Numbers, false}, {"AUTO_GAMMA", A::Numbers, true},
      {"AUTO_FLASH", A::Numbers, true}, {"AUTO_WHITE", A::Numbers, true}, {"REFERENCE", A::Numbers, true},
      // spatial filters
      {"GAUSSIAN", A::Numbers, false}, {"OUTLIER", A::Numbers, false}, {"DEFOCUS", A::Numbers, false},
      {"SOFTEN", A::Numbers, false}, {"DESPECKLE", A::Numbers, false}, {"UNSPOT", A::Numbers, false},
      {"MEANREMOVAL", A::Numbers, false}, {"HIGHPASSMEDIUM", A::Numbers, false},
      {"HIGHPASSLIGHT", A::Numbers, false}, {"UNSHARPMASK", A::Numbers, false}, {"CLEAN", A::Numbers, false},
      {"DEFOG", A::Numbers, false}, {"DESCREEN_LIGHT", A::None, false}, {"DESCREEN_MEDIUM", A::None, false},
      {"DESCREEN_STRONG", A::None, false}, {"DESCREEN_HIGH", A::None, false}, {"DELACE", A::None, true},
      {"ENRICH", A::None, true}, {"DEPIXELATE", A::Numbers, false},
      // HLS and colour selection
      {"HLS", A::Numbers, false}, {"MASK_HLS", A::Numbers, false}, {"MASK_HLSINV", A::Numbers, false},
      {"REPLACE_HLS", A::Numbers, false}, {"REPLACE_HLSINV", A::Numbers, false}, {"AIRBRUSH", A::Numbers, false},
      {"REPLACE_RGB", A::Numbers, false}, {"REPLACE_RGBINV", A::Numbers, false}, {"RGBMAX", A::None, false},
      {"RGBMIN", A::None, false}, {"GRAYSCALE", A::None, false}, {"NATURALIZE_RGB", A::Numbers, false},
      {"NATURALIZE_CCD", A::Numbers, false},
      // geometry and colour depth
      {"ROTATE", A::Numbers, false}, {"RESIZE", A::Numbers, false}, {"RESAMPLE", A::Numbers, false},
      {"RESIZE%", A::Numbers, false}, {"RESAMPLE%", A::Numbers, false}, {"DOWNSAMPLE", A::Numbers, false},
      {"CROP", A::Numbers, false}, {"BORDER", A::Numbers, false}, {"BORDER_TOPBOT", A::Numbers, false},
      {"MOSAIC", A::Numbers, false}, {"POSTERIZE", A::Numbers, false}, {"TEXTMARK_TOPLEFT", A::Text, true},
      {"TEXTMARK_TOPRIGHT", A::Text, true}, {"TEXTMARK_BOTTOMLEFT", A::Text, true},
      {"TEXTMARK_BOTTOMRIGHT", A::Text, true}, {"QUANTIZE16", A::None, false}, {"QUANTIZE256", A::None, false},
      // two images
      {"DUPLICATE", A::None, false}, {"SWAP", A::None, false}, {"COPYTOBACKUP", A::None, false},
      {"COPYFROMBACKUP", A::None, false}, {"AVERAGE", A::Numbers, false}, {"INTERLACE", A::Numbers, false},
      {"MULTIPLY", A::None, false}, {"MINIMUM", A::None, false}, {"MAXIMUM", A::None, false},
      {"DIFFERENCE", A::None, false}, {"SUBTRACT", A::None, false}, {"MASK_GRAYSCALE", A::None, false},
      {"MASK_CONTRAST", A::Numbers, false}, {"MASK_MIDTONES", A::Numbers, false},
      {"MASK_SHADOWS", A::Numbers, false}, {"MASK_HIGHLIGHTS", A::Numbers, false},
      {"MASK_EDGES", A::Numbers, false}, {"ARTIFACT", A::Numbers, false},
  };
  static const std::unordered_map<std::string_view, const ScriptCommandInfo*> index = [] {
    std::unordered_map<std::string_view, const ScriptCommandInfo*> m;
    for (const auto& c : table) m.emplace(c.word, &c);
    return m;
  }();
  const auto it = index.find(upperWord);
  return it == index.end() ? nullptr : it->second;
}

}  // namespace pelira
