// View › Options: the Options dialog over the viewer's settings, and Apply making the viewer
// follow them at once (bars, painting, sizes; a document reloaded where its look changed).
#include <QAction>

#include "app/forms/options_form.h"
#include "display/forms/pix.h"
#include "slideshow/forms/effects_dlg.h"
#include "viewer/forms/web_form.h"

namespace pelira {

void TWebForm::mnuOptionsClick() {
  const bool fullScreen = windowState() & Qt::WindowFullScreen;
  const OptionsPage page =
      OptionsPageFor(state_.MediaMode, fullScreen, settings_->viewer.maxFullScreenWithMenus);
  OptionsHooks hooks;
  hooks.apply = [this](const OptionsValues& v) { Run([this, v] { ApplyOptions(v); }); };
  hooks.effects = [this] {
    if (store_) ShowEffectsSelection(this, *store_);
  };
  ShowOptions(this, {settings_->viewer, explorerOptions_}, page, fullScreen, std::move(hooks), &Dialogs());
}

void TWebForm::ApplyOptions(const OptionsValues& values) {
  ViewerSettings& s = settings_->viewer;
  const ViewerSettings before = s;
  const ViewerSettings& n = values.viewer;
  // Everything the dialog edits; the window's own bounds, heights and reserved fields stay.
  for (auto field : {&ViewerSettings::menuBar, &ViewerSettings::toolBar, &ViewerSettings::statusBar,
                      &ViewerSettings::buttonText, &ViewerSettings::pathBox, &ViewerSettings::mergeToolbar,
                      &ViewerSettings::autoReduce, &ViewerSettings::fastRefresh, &ViewerSettings::useScreen,
                      &ViewerSettings::autoSize, &ViewerSettings::autoCenter, &ViewerSettings::maxFullScreen,
                      &ViewerSettings::maxFullScreenWithMenus, &ViewerSettings::autoSizeVideo,
                      &ViewerSettings::alwaysFullScreen, &ViewerSettings::avlJukebox, &ViewerSettings::mediaStatusLine,
                      &ViewerSettings::mediaPlayerControls, &ViewerSettings::mediaTrackBar,
                      &ViewerSettings::mediaAutoPlayLoop, &ViewerSettings::mediaMaxFullScreen})
    s.*field = n.*field;
  for (auto field : {&ViewerSettings::logVisitedFolders, &ViewerSettings::wheelNavigation,
                      &ViewerSettings::autoTestFilters, &ViewerSettings::wheelButton, &ViewerSettings::faxQuality,
                      &ViewerSettings::photoCdStep, &ViewerSettings::effectsSpeed, &ViewerSettings::textPosition,
                      &ViewerSettings::slideshowDelay})
    s.*field = n.*field;
  s.mediaVolume = StoredVolumePosition(n.mediaVolume);
  s.backgroundColor = n.backgroundColor;
  explorerOptions_ = values.explorer;

  ApplySettings();
  FormResize();
  // A document whose look depends on a changed setting is opened again.
  const bool reloadFax = s.faxQuality != before.faxQuality && state_.PageCount > 1;
  const bool reloadPcd = s.photoCdStep != before.photoCdStep && state_.CurrentExt == ".PCD";
  if ((reloadFax || reloadPcd) && !state_.ImageModified) BtnOpenEx();
}

}  // namespace pelira
