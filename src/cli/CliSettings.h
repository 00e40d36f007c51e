#pragma once
// The settings of a command-line run: those of the data folder with the run's options put in.
#include "cli/CliOptions.h"
#include "settings/Settings.h"
#include "util/ProgramPaths.h"

TSettings CliRunSettings(const TProgramPaths& paths, const TCliOptions& options);

// Exit status of harrowmint-cli.
inline constexpr int kExitAllPlausible = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitNotStarted = 2;
