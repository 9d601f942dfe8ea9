#include "explorer/explorer_settings.h"

#include <algorithm>
#include <cstring>

namespace pelira {

namespace {

void Put32(std::string& b, std::size_t at, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

std::int32_t Get32(const std::string& b, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])) << (8 * i);
  return static_cast<std::int32_t>(u);
}

}  // namespace

std::string EncodeExplorerSettings(const ExplorerSettings& s) {
  std::string b(kExplorerRecordSize, '\0');
  Put32(b, 0, s.left);
  Put32(b, 4, s.top);
  Put32(b, 8, s.right);
  Put32(b, 12, s.bottom);
  const bool flags[8] = {s.toolBar, s.statusBar, s.tree, s.buttonText, s.autoRefresh, s.confirmDeletions, s.useViewer,
                         s.toolTips};
  for (int i = 0; i < 8; ++i) b[16 + i] = flags[i] ? 1 : 0;
  Put32(b, 24, s.clickStyle);
  Put32(b, 28, s.view);
  Put32(b, 32, s.thumbStep);
  Put32(b, 36, s.sortKey);
  Put32(b, 40, s.treeSort);
  Put32(b, 44, s.treeWidth);
  Put32(b, 48, s.networks);
  std::memcpy(b.data() + 52, s.rest.data(), s.rest.size());
  return b;
}

ExplorerSettings DecodeExplorerSettings(const std::string& b) {
  ExplorerSettings s;
  if (b.size() != kExplorerRecordSize) return s;
  s.left = Get32(b, 0);
  s.top = Get32(b, 4);
  s.right = Get32(b, 8);
  s.bottom = Get32(b, 12);
  bool* flags[8] = {&s.toolBar, &s.statusBar, &s.tree, &s.buttonText, &s.autoRefresh, &s.confirmDeletions, &s.useViewer,
                    &s.toolTips};
  for (int i = 0; i < 8; ++i) *flags[i] = b[16 + i] != 0;
  s.clickStyle = std::clamp(Get32(b, 24), 0, 1);
  s.view = std::clamp(Get32(b, 28), 0, 3);
  s.thumbStep = std::clamp(Get32(b, 32), 1, 8);
  s.sortKey = std::clamp(Get32(b, 36), 0, 7);
  s.treeSort = std::clamp(Get32(b, 40), 0, 4);
  s.treeWidth = std::clamp(Get32(b, 44), 0, 4000);
  s.networks = Get32(b, 48) != 0 ? 1 : 0;
  std::memcpy(s.rest.data(), b.data() + 52, s.rest.size());
  s.stored = true;
  return s;
}

}  // namespace pelira
