#pragma once
// The script words of the neighbourhood filters, run on a bare picture the way the commands
// run them inside a script: values from the line, no dialog, no undo copy, nothing recorded.
#include <array>
#include <string>

#include "image/dib.h"

namespace pelira {

enum class FilterWordResult {
  NotFilterWord,  // another subsystem's word
  Skipped,        // an argument outside its range, or nothing to work on: the line does nothing
  Applied,        // the pixels changed in place
  SizeChanged,    // the picture was replaced at another size or depth
  Failed,         // a copy could not be made; the picture is as it was
};

FilterWordResult RunFilterWord(const std::string& word, const std::array<int, 3>& args, Dib& pic);

}  // namespace pelira
