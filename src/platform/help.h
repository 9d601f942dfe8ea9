#pragma once
// Help by numeric context: each context has a bundled page "<context>.html"; a context without a
// page shows the contents page. The desktop program installs a viewer over its help window.
#include <string>
#include <vector>

namespace pelira {

inline constexpr const char* kHelpIndexPage = "index.html";

// The page to show for context, given the names of the pages there are.
std::string HelpPageFor(int context, const std::vector<std::string>& pages);

class HelpViewer {
public:
  virtual ~HelpViewer() = default;
  virtual void ShowContext(int context) = 0;
};

// Headless: remembers the contexts asked for.
class RecordingHelpViewer : public HelpViewer {
public:
  void ShowContext(int context) override { contexts_.push_back(context); }
  const std::vector<int>& Contexts() const { return contexts_; }
  void Clear() { contexts_.clear(); }

private:
  std::vector<int> contexts_;
};

class Help {
public:
  // Shows the page of context in the installed viewer.
  static void Show(int context);
  // nullptr restores the headless recorder. The caller keeps viewer alive while installed.
  static void SetViewer(HelpViewer* viewer);
  static HelpViewer& Viewer();
};

}  // namespace pelira
