#include <gtest/gtest.h>

#include "platform/help.h"

namespace pelira {
namespace {

TEST(HelpPageFor, ContextPageWhenBundledElseContents) {
  const std::vector<std::string> pages = {"index.html", "100.html", "103.html", "1030.html"};
  struct Case {
    int context;
    const char* page;
  };
  const Case cases[] = {
      {103, "103.html"}, {100, "100.html"}, {1030, "1030.html"}, {10, "index.html"},
      {104, "index.html"}, {0, "index.html"}, {-103, "index.html"},
  };
  for (const Case& c : cases) EXPECT_EQ(HelpPageFor(c.context, pages), c.page) << c.context;
  EXPECT_EQ(HelpPageFor(103, {}), "index.html");
}

TEST(Help, ShowGoesToTheInstalledViewer) {
  RecordingHelpViewer mine;
  Help::SetViewer(&mine);
  Help::Show(103);
  Help::Show(100);
  Help::SetViewer(nullptr);
  Help::Show(5);  // headless recorder now, not mine
  EXPECT_EQ(mine.Contexts(), (std::vector<int>{103, 100}));
}

}  // namespace
}  // namespace pelira
