#include "app/run_files.h"

#include "common/app_paths.h"
#include "common/version.h"

namespace pelira {

std::vector<std::filesystem::path> RunTemporaryFiles(const std::string& runTag,
                                                     const std::filesystem::path& programFolder,
                                                     const std::filesystem::path& dataFolder) {
  std::vector<std::filesystem::path> files;
  if (runTag.empty()) return files;
  std::error_code ec;
  auto addIfThere = [&](const std::filesystem::path& p) {
    if (std::filesystem::is_regular_file(p, ec)) files.push_back(p);
  };
  const std::filesystem::path album = programFolder / (std::string(kProductTitle) + runTag + ".avc");
  if (std::filesystem::is_regular_file(album, ec)) {
    files.push_back(album);
    for (const char* side : {"._d_", "._v_", "._n_", "._r_", "._c_"}) addIfThere(dataFolder / (runTag + side));
  }
  const std::filesystem::path bookmarks = dataFolder / (runTag + ".plp");
  if (std::filesystem::is_regular_file(bookmarks, ec)) {
    files.push_back(bookmarks);
    addIfThere(dataFolder / (runTag + ".dir"));
  }
  return files;
}

void RemoveRunTemporaryFiles(const std::string& runTag) {
  std::error_code ec;
  for (const auto& f : RunTemporaryFiles(runTag, AppPaths::Home(), AppPaths::Data())) std::filesystem::remove(f, ec);
  AppPaths::RemoveRunTemp();
}

}  // namespace pelira
