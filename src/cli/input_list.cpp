#include "cli/input_list.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace pelira::cli {

namespace fs = std::filesystem;

void AddInputOptions(OptionTable& table, InputSelection* s, InputFeatures features) {
  table.push_back({"--files-from", "FILE",
                   "also take the paths listed in FILE, one a line (\"-\" reads\n"
                   "standard input)",
                   [s](const std::string& v) {
                     if (v.empty()) return false;
                     s->filesFrom = v;
                     return true;
                   },
                   "wants a file"});
  table.push_back({"-0", nullptr, "the --files-from list is NUL-separated (find -print0)", [s](const std::string&) {
                     s->nulSeparated = true;
                     return true;
                   }});
  if (features.shard)
    table.push_back({"--shard", "I/N",
                     "work on share I (0 .. N-1) of N: the sorted list is split\n"
                     "into N disjoint shares; N machines given the same list each\n"
                     "take one and together write what one run writes",
                     [s](const std::string& v) {
                       s->sharded = true;
                       return ParseShard(v, &s->shardIndex, &s->shardCount);
                     },
                     "wants I/N with 0 <= I < N"});
  if (features.summary)
    table.push_back({"--summary", "json",
                     "one JSON line per input on stdout: input, status, output,\n"
                     "seconds",
                     [s](const std::string& v) {
                       if (v != "json") return false;
                       s->summaryJson = true;
                       return true;
                     },
                     "knows only 'json'"});
}

bool SelectInputs(const char* command, const InputSelection& s, const std::vector<std::string>& positional,
                  bool sortAlways, std::vector<std::string>* files, std::ostream& err) {
  std::vector<std::string> list = positional;
  if (!s.filesFrom.empty()) {
    std::string text;
    if (s.filesFrom == "-") {
      text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
      std::ifstream in(s.filesFrom, std::ios::binary);
      if (!in) {
        err << "pelira-cli " << command << ": " << s.filesFrom << ": cannot read the list\n";
        return false;
      }
      text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::vector<std::string> listed = SplitPathList(text, s.nulSeparated);
    list.insert(list.end(), listed.begin(), listed.end());
  }
  if (s.sharded || sortAlways) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
  }
  *files = s.sharded ? ShardShare(list, s.shardIndex, s.shardCount) : list;
  return true;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u == 0x7F) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", u);
      out += esc;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

void SummaryLine(std::ostream& out, const std::string& input, const std::string& status,
                 const std::vector<std::string>& outputs, double seconds) {
  char time[32];
  std::snprintf(time, sizeof time, "%.3f", seconds);
  out << "{\"input\":" << JsonString(input) << ",\"status\":" << JsonString(status)
      << ",\"output\":" << (outputs.empty() ? std::string("null") : JsonString(outputs[0]));
  if (outputs.size() > 1) {
    out << ",\"outputs\":[";
    for (std::size_t i = 0; i < outputs.size(); ++i) out << (i ? "," : "") << JsonString(outputs[i]);
    out << "]";
  }
  out << ",\"seconds\":" << time << "}\n";
}

int CarryOutRenames(const char* command, const std::vector<RenameStep>& steps, const std::vector<std::string>& failures,
                    bool dryRun, std::ostream& out, std::ostream& err) {
  int status = failures.empty() ? 0 : 1;
  for (const std::string& f : failures) err << "pelira-cli " << command << ": " << f << "\n";
  if (dryRun) {
    for (const RenameStep& s : steps) out << s.from << "\t" << s.to << "\n";
    return status;
  }
  for (const std::string& f : ApplyRenames(steps).failures) {
    err << "pelira-cli " << command << ": " << f << "\n";
    status = 1;
  }
  return status;
}

}  // namespace pelira::cli
