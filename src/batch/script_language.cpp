#include "batch/script_language.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <vector>

#include "edit/operations.h"

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
      {"NOMODIFYFLAG", A::None, true}, {"REFRESH", A::None, false},
      {"CLEARBUFFERS", A::None, false},
  };
  static const std::unordered_map<std::string_view, const ScriptCommandInfo*> index = [] {
    std::unordered_map<std::string_view, const ScriptCommandInfo*> m;
    for (const auto& c : table) m.emplace(c.word, &c);
    // The editing words come from the operation table.
    static std::vector<ScriptCommandInfo> editing;
    editing.reserve(Operations().size() * 2);
    for (const Operation& op : Operations())
      for (const char* w : op.words)
        if (w) editing.push_back({w, op.args, op.promptAfter});
    for (const auto& c : editing) m.emplace(c.word, &c);
    return m;
  }();
  const auto it = index.find(upperWord);
  return it == index.end() ? nullptr : it->second;
}

}  // namespace pelira
