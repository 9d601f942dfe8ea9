#pragma once
// The program entry over the real platform: the settings store, the "AVL running" lock and
// the screen.
#include <QStringList>

#include "app/program_entry.h"

namespace pelira {

// Reads the stored settings and tells whether another copy plays a script slideshow (then
// the program ends without a window).
EntryDecision ProgramEntryNow(const SettingsStore& store);

// The command line: a file that exists names the start-up file (regular files only).
StartupState StartupFromArguments(const QStringList& arguments);

// The whole program: entry, viewer, message loop. Returns the exit status.
int RunProgram(int& argc, char** argv);

}  // namespace pelira
