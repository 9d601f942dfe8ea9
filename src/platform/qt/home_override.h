#pragma once
// $PELIRA_HOME, the per-user folder tests (and users who want one) choose; empty when unset.
// Read here directly until AppPaths serves the platform layer too.
#include <QString>
#include <QtGlobal>

namespace pelira {

inline QString PeliraHomeOverride() { return qEnvironmentVariable("PELIRA_HOME"); }

}  // namespace pelira
