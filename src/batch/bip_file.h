#pragma once
// BIP files: the script text, one command per line, no header. Read as UTF-8 when valid,
// else as Windows-1252, with any mix of line ends; written as UTF-8 with CRLF after every
// line, atomically.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/atomic_file.h"

namespace pelira {

inline constexpr const char* kBipFilter = "BIP (Batch Image Processor)|*.bip";
inline constexpr const char* kBipExtension = "bip";
// Scripts are short; a file past this is not one, and reading it must not eat memory.
inline constexpr std::uintmax_t kBipMaxBytes = 64u << 20;

std::vector<std::string> ParseBipText(std::string_view bytes);
std::string FormatBipText(const std::vector<std::string>& lines);

// nullopt when the file cannot be read, is not a regular file, or is too large; *why says
// which.
std::optional<std::vector<std::string>> ReadBipFile(const std::filesystem::path& path, std::string* why = nullptr);
WriteResult WriteBipFile(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace pelira
