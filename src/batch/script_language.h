#pragma once
// Script lines: one command word, optionally "=" and up to three decimal integers, or a text
// for the text commands. Lines come from files anyone may hand us, so everything here is
// parsed strictly: decimal only, 32-bit range, anything odd makes the line do nothing.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "edit/edit_host.h"
#include "edit/operations.h"

namespace pelira {

// The argument registers and the text argument of one run. The numbers persist from line
// to line: a line without "=" runs with the values of the last line that had them.
struct ScriptRegisters {
  std::array<std::int32_t, 3> a{0, 0, 0};
  std::string text;
};

struct ParsedLine {
  std::string word;      // upper case, blanks around it removed; empty: the line does nothing
  bool textCommand = false;
  bool hadArguments = false;
};

// Upper-cases ASCII letters only, so "=" positions stay where they were in the line.
std::string AsciiUpper(std::string_view s);

// Parses one line, updating the registers. A line whose numbers do not parse leaves the
// registers as they were and gives an empty word.
ParsedLine ParseScriptLine(std::string_view line, ScriptRegisters& regs);

// One decimal integer: optional leading blanks, optional "-", digits, nothing after; must
// fit 32 bits. Empty text is 0.
bool ParseScriptNumber(std::string_view piece, std::int32_t* out);

struct ScriptCommandInfo {
  const char* word;
  ScriptArgs args;
  // A traced line of these words shows its prompt after it ran; the others before.
  bool promptAfter;
};

// The control words of the language and every word of the operation table; nullptr for a
// word that names no command.
const ScriptCommandInfo* FindScriptCommand(std::string_view upperWord);

}  // namespace pelira
