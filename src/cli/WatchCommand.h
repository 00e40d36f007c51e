#pragma once
// harrowmint-cli --watch INBOX: repacks what arrives in the folder until a stop request. Each
// finished item prints its line (or JSON object) as a run's item does; the end prints the summary
// of every item the watch finished. SIGTERM or Ctrl+C lets the items in progress finish and ends
// with status 0; a second one stops them at once (status 1). A watch that cannot start ends with
// 2, one that ends on its own (its folder went away) with 1.
#include "cli/CliOptions.h"
#include "util/ProgramPaths.h"

int RunWatch(const TProgramPaths& paths, const TCliOptions& options);
