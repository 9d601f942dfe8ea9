#include "batch/renumber.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <set>

namespace pelira {

namespace fs = std::filesystem;

int NumberWidth(std::size_t count) {
  if (count <= 9) return 1;
  if (count <= 99) return 2;
  if (count <= 999) return 3;
  if (count <= 9999) return 4;
  return 5;
}

std::string NamePartProblem(const std::string& text) {
  if (text == "." || text == "..") return "\"" + text + "\" cannot be part of a file name.";
  for (const char c : text) {
    if (c == '/') return "A file name cannot hold \"/\".";
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "A file name cannot hold control characters.";
  }
  return {};
}

RenumberPlan PlanRenumber(const std::vector<std::string>& input, const RenumberOptions& o) {
  RenumberPlan plan;
  std::vector<std::string> files;
  std::set<std::string> sources;
  for (const std::string& f : input)
    if (sources.insert(f).second) files.push_back(f);
  if (files.size() > kMaxRenumbered) {
    plan.refused = kRenumberLimitText;
    return plan;
  }
  std::string problem = NamePartProblem(o.prefix);
  if (problem.empty() && o.newExtension) problem = NamePartProblem(*o.newExtension);
  if (!problem.empty()) {
    plan.refused = problem;
    return plan;
  }
  const int width = NumberWidth(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    const fs::path p(files[i]);
    char number[16];
    std::snprintf(number, sizeof number, "%0*zu", width, i + 1);
    const std::string ext = o.newExtension ? *o.newExtension : p.extension().string();
    std::string name = o.numericPrefix ? std::string(number) + "~" + p.filename().string()
                                       : o.prefix + number + ext;
    if (o.numericPrefix && o.newExtension) name = std::string(number) + "~" + p.stem().string() + ext;
    const std::string target = (p.parent_path() / name).string();
    if (target == files[i]) continue;
    struct stat st;
    // A file outside the batch is never replaced; sources of the batch make way.
    if (!sources.count(target) && ::lstat(target.c_str(), &st) == 0) {
      plan.failures.push_back(CouldNotRenameText(files[i]));
      continue;
    }
    plan.steps.push_back({files[i], target});
  }
  return plan;
}

}  // namespace pelira
