#include "support/test_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pelira::test {

std::filesystem::path Fixture(const std::string& name) {
  const char* root = std::getenv("PELIRA_FIXTURES");
  std::filesystem::path base = root ? root : PELIRA_FIXTURES_DIR;
  return base / name;
}

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "pelira-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + p.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

void WriteText(const std::filesystem::path& p, const std::string& text) {
  WriteBytes(p, std::vector<std::uint8_t>(text.begin(), text.end()));
}

}  // namespace pelira::test
