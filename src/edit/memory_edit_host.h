#pragma once
// An EditHost with no window: the picture lives here and every display step does nothing.
// The headless script run uses it; tests and benchmarks override the steps they watch.
#include "edit/edit_host.h"
#include "edit/picture_state.h"

namespace pelira {

class MemoryEditHost : public EditHost {
public:
  explicit MemoryEditHost(PictureState& s) : state(s) {}
  Dib& Picture() override { return picture; }
  void SetPicture(Dib&& p) override { picture = std::move(p); }
  void ShowBusy(const std::string&) override {}
  void StatusReady() override {}
  void SetStatusWord(const std::string&) override {}
  void Refresh() override {}
  // The view takes size and depth from the bitmap, as the window does.
  void PictureChanged() override {
    SyncImageState(state, picture);
    state.ImageModified = true;
  }
  void UpdateCaption() override {}
  void EnableUndo(bool) override {}
  void SelectHandTool() override {}
  void BlankPicture(bool untitled) override {
    picture = BlankBitmap(0);
    BlankPictureState(state, untitled);
  }
  void ShowHistogram(const std::string&, const Histograms&) override {}

  PictureState& state;
  Dib picture;
};

}  // namespace pelira
