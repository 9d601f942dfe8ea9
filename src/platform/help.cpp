#include "platform/help.h"

#include <algorithm>

namespace pelira {

namespace {

HelpViewer* g_viewer = nullptr;

RecordingHelpViewer& HeadlessViewer() {
  static RecordingHelpViewer viewer;
  return viewer;
}

}  // namespace

std::string HelpPageFor(int context, const std::vector<std::string>& pages) {
  if (context > 0) {
    std::string page = std::to_string(context) + ".html";
    if (std::find(pages.begin(), pages.end(), page) != pages.end()) return page;
  }
  return kHelpIndexPage;
}

void Help::Show(int context) { Viewer().ShowContext(context); }

void Help::SetViewer(HelpViewer* viewer) { g_viewer = viewer; }

HelpViewer& Help::Viewer() { return g_viewer ? *g_viewer : HeadlessViewer(); }

}  // namespace pelira
