#pragma once
// The matcher behind the cleanup rules: "*" any run of characters, "?" one character, "#" a run
// of ASCII digits; ASCII letters compare without regard to case, everything else exactly.
// Its own algorithm, not a glob: "#" never gives digits back, and after a mismatch only the
// literal after the last "*" moves to its next occurrence (so "abb" does not match "*?b").
#include <QString>

// True when the whole text matches the whole pattern. Allocates nothing; any thread.
bool MatchWildcard(const QString& text, const QString& pattern);
