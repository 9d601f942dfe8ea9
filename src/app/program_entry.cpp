#include "app/program_entry.h"

namespace pelira {

EntryDecision ProgramEntry(const SettingsStore& store, bool otherCopyPlaysScript, int screenWidth) {
  EntryDecision d;
  d.settings = ReadStoredSettings(store, screenWidth);
  d.exitNow = otherCopyPlaysScript;
  return d;
}

FirstActivationPlan PlanFirstActivation(const StartupState& startup, bool viewerSettingsFound,
                                        bool explorerSettingsFound, bool jpegShown) {
  FirstActivationPlan p;
  if (!(viewerSettingsFound && explorerSettingsFound && jpegShown)) {
    p.statusReady = true;
    if (!startup.HasFile()) p.blankUntitled = true;
    p.firstRun = !viewerSettingsFound || !explorerSettingsFound;
  }
  if (startup.OpenPending) {
    p.blankWithoutName = startup.CurrentExt == ".AVL";
    p.deferredOpen = true;
  } else if (!jpegShown) {
    p.blankUntitled = true;
  }
  return p;
}

}  // namespace pelira
