// AVL scripts on arbitrary bytes: the slow load never fails on a crafted file, every slide
// it keeps refers inside the tables, and the album written back reads back to the same text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "album/album_add.h"
#include "album/album_files.h"
#include "platform/scripted_ui.h"

namespace {

// Names that start with "x" are missing; the rest exist, so both branches are walked.
pelira::FileFacts FakeStat(const std::string& path) {
  pelira::FileFacts f;
  const auto slash = path.rfind('/');
  f.exists = slash != std::string::npos && slash + 1 < path.size() && path[slash + 1] != 'x';
  f.size = path.size();
  return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  pelira::ScriptedUi ui;
  ui.SetDefaultAnswer(pelira::Button::OK);
  pelira::AlbumLoadOptions o;
  o.ui = &ui;
  o.stat = FakeStat;
  pelira::AlbumStore store;
  const auto r = pelira::DecodeAvl(store, bytes, o);
  if (!r.ok && !store.Empty()) __builtin_trap();
  for (std::size_t i = 0; i < store.Count(); ++i) {
    const auto& rec = store.At(i);
    if (store.Order()[i] >= store.Records().size()) __builtin_trap();
    if (!rec.IsCdTrack() && !store.SlideFullPath(rec)) __builtin_trap();
    if (rec.commentIndex < 0 || static_cast<std::size_t>(rec.commentIndex) >= store.Comments().size()) __builtin_trap();
  }
  if (!r.ok || store.Empty()) return 0;
  const std::string once = pelira::TestScriptText(store, 1, 800, 600);
  pelira::AlbumStore again;
  if (!pelira::DecodeAvl(again, once, o).ok) __builtin_trap();
  if (pelira::TestScriptText(again, 1, 800, 600) != once) __builtin_trap();
  return 0;
}
