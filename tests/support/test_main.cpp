// Every test process gets its own PELIRA_HOME so no test touches the user's settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::string tmpl = (std::filesystem::temp_directory_path() / "pelira-home-XXXXXX").string();
  const bool made = mkdtemp(tmpl.data()) != nullptr;
  if (made) setenv("PELIRA_HOME", tmpl.c_str(), 1);
  const int rc = RUN_ALL_TESTS();
  if (made) {
    std::error_code ec;
    std::filesystem::remove_all(tmpl, ec);
  }
  return rc;
}
