#include "batch/bip_file.h"

#include <fstream>
#include <system_error>

#include "common/text_encoding.h"

namespace pelira {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// U+FEFF at the very start of the text would be written as a byte-order mark and vanish on
// the next read: it carries nothing, so the first line never starts with it.
void DropLeadingMarks(std::vector<std::string>& lines) {
  if (lines.empty()) return;
  std::string& first = lines.front();
  std::size_t at = 0;
  while (first.compare(at, kByteOrderMark.size(), kByteOrderMark) == 0) at += kByteOrderMark.size();
  first.erase(0, at);
}

}  // namespace

std::vector<std::string> ParseBipText(std::string_view bytes) {
  // A NUL would end the line for anything that treats it as C text. It goes before the text
  // is decoded, so that what remains (a byte-order mark behind it, say) means what it will
  // mean when the saved file is read again.
  std::string raw(bytes);
  std::erase(raw, '\0');
  std::vector<std::string> lines = SplitLines(DecodeText(raw));
  DropLeadingMarks(lines);
  return lines;
}

std::string FormatBipText(const std::vector<std::string>& lines) {
  std::vector<std::string> clean;
  clean.reserve(lines.size());
  // A line of the editor never holds a line end of its own; one that does is split so the
  // file reads back as the same lines.
  for (const std::string& l : lines)
    for (std::string& piece : SplitLines(l.empty() ? std::string_view("\n") : std::string_view(l))) clean.push_back(std::move(piece));
  DropLeadingMarks(clean);
  return JoinCrlf(clean);
}

std::optional<std::vector<std::string>> ReadBipFile(const std::filesystem::path& path, std::string* why) {
  auto fail = [&](const std::string& w) -> std::optional<std::vector<std::string>> {
    if (why) *why = path.string() + ": " + w;
    return std::nullopt;
  };
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return fail("not a regular file");
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return fail(ec.message());
  if (size > kBipMaxBytes) return fail("too large for a script");
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("cannot be opened");
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) return fail("cannot be read");
  return ParseBipText(bytes);
}

WriteResult WriteBipFile(const std::filesystem::path& path, const std::vector<std::string>& lines) {
  return AtomicWrite(path, FormatBipText(lines));
}

}  // namespace pelira
