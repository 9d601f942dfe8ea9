#include "cli/options.h"

#include <ostream>

#include "batch/script_language.h"

namespace pelira::cli {

bool ParseOptions(const char* command, const OptionTable& table, const Args& args, Args* positional,
                  std::ostream& err) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      positional->insert(positional->end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      return true;
    }
    const Option* found = nullptr;
    for (const Option& o : table)
      if (a == o.name) found = &o;
    if (!found) {
      if (a.size() > 1 && a[0] == '-' && a.find('=') == std::string::npos) {
        err << "pelira-cli " << command << ": unknown option '" << a << "' (see pelira-cli --help)\n";
        return false;
      }
      positional->push_back(a);
      continue;
    }
    std::string value;
    if (found->value) {
      if (i + 1 >= args.size()) {
        err << "pelira-cli " << command << ": " << a << " " << found->refused << "\n";
        return false;
      }
      value = args[++i];
    }
    if (!found->take(value)) {
      err << "pelira-cli " << command << ": " << a << " " << found->refused << "\n";
      return false;
    }
  }
  return true;
}

std::string OptionHelp(const OptionTable& table) {
  std::string text;
  for (const Option& o : table) {
    std::string head = std::string("      ") + o.name + (o.value ? std::string(" ") + o.value : "");
    head.resize(std::max<std::size_t>(head.size() + 1, 28), ' ');
    const std::string pad(28, ' ');
    std::string help = o.help;
    std::size_t start = 0;
    bool first = true;
    while (start <= help.size()) {
      const std::size_t nl = help.find('\n', start);
      const std::string line = help.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
      text += (first ? head : pad) + line + "\n";
      first = false;
      if (nl == std::string::npos) break;
      start = nl + 1;
    }
  }
  return text;
}

Option FlagOption(const char* name, const char* help, bool* target) {
  return {name, nullptr, help, [target](const std::string&) {
            *target = true;
            return true;
          }};
}

Option NumberOption(const char* name, const char* value, const char* help, int lo, int hi, int* target,
                    const char* refused) {
  return {name, value, help,
          [lo, hi, target](const std::string& v) {
            std::int32_t n = 0;
            if (v.empty() || v.size() > 9 || v[0] == '-' || v[0] == ' ' || !ParseScriptNumber(v, &n) || n < lo ||
                n > hi)
              return false;
            *target = n;
            return true;
          },
          refused};
}

void AddSaveOptions(OptionTable& table, SaveOptions* save) {
  table.push_back(NumberOption("--quality", "N", "the JPEG compression value 1..99 (default 50)", 1, 99,
                               &save->quality, "needs a compression value 1..99"));
  table.push_back({"--no-progressive", nullptr,
                   "baseline JPEG and PNG without interlace (default:\n"
                   "progressive JPEG with optimised tables, float DCT and no\n"
                   "chroma subsampling; interlaced PNG)",
                   [save](const std::string&) {
                     save->progressive = false;
                     return true;
                   }});
}

}  // namespace pelira::cli
