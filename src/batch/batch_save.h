#pragma once
// Batch saves never replace a file: the bytes are first written to a private temporary in
// the target folder, then given the first free name of base.ext, base-1.ext ... base-999.ext.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pelira {

// The temporary's path, or empty with *why set (and *error to the errno, when given).
std::string StageBytes(const std::filesystem::path& dir, const std::vector<std::uint8_t>& bytes, std::string* why,
                       int* error = nullptr);

struct PlaceResult {
  bool ok = false;
  std::string path;     // the name taken
  std::string message;  // why not, naming the file
};

// Claims the first free name for the staged file and removes the temporary either way.
PlaceResult PlaceNumbered(const std::string& temp, const std::string& base, const std::string& ext);

}  // namespace pelira
