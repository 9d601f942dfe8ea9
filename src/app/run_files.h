#pragma once
// The temporary files of one run, removed silently when the viewer closes.
#include <filesystem>
#include <string>
#include <vector>

namespace pelira {

// The explorer's temporary album ("Pelira 7.7" + tag + ".avc" in the program folder, side
// files tag + "._d_" ... in "data") when its ".avc" exists, and the temporary bookmark list
// (tag + ".plp" and ".dir" in "data") when its ".plp" exists; only files that exist.
std::vector<std::filesystem::path> RunTemporaryFiles(const std::string& runTag,
                                                     const std::filesystem::path& programFolder,
                                                     const std::filesystem::path& dataFolder);

// Deletes those files and the run's private temporary folder (undo and export files live
// there). Failures are ignored: nothing is asked at shutdown.
void RemoveRunTemporaryFiles(const std::string& runTag);

}  // namespace pelira
