// BIP scripts keep their lines through a save: load, save, load gives the same lines, also for
// the bytes the script-file fuzz target found (a NUL before a byte-order mark).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/bip_file.h"

namespace pelira {
namespace {

TEST(BipFile, LoadSaveLoadKeepsTheLines) {
  const std::string cases[] = {
      std::string("\0\xEF\xBB\xBF", 4),
      std::string("\0\xEF\xBB\xBFGAMMA=120\r\nSAVE", 20),
      "\xEF\xBB\xBF\xEF\xBB\xBFNEGATIVE\n",
      std::string("\xEF\xBB\0\xBF", 4),
      std::string("A\0\r\nB", 5),
      std::string("caf\xC3\0\xA9\n", 7),
      "\xEF\xBB\xBF",
      "\n\xEF\xBB\xBFX",
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(testing::PrintToString(bytes));
    const std::vector<std::string> lines = ParseBipText(bytes);
    EXPECT_EQ(ParseBipText(FormatBipText(lines)), lines);
  }
  EXPECT_EQ(ParseBipText(std::string("\0\xEF\xBB\xBFGAMMA=120\r\nSAVE", 20)),
            (std::vector<std::string>{"GAMMA=120", "SAVE"}));
  // A mark inside the text is text and stays.
  EXPECT_EQ(ParseBipText("\n\xEF\xBB\xBFX"), (std::vector<std::string>{"", "\xEF\xBB\xBFX"}));
  // Lines handed to the writer that start with the mark read back without it, as the reader
  // gives them.
  EXPECT_EQ(ParseBipText(FormatBipText({"\xEF\xBB\xBFSAVE"})), (std::vector<std::string>{"SAVE"}));
}

}  // namespace
}  // namespace pelira
