#pragma once
// The text of `harrowmint-cli --engines`.
#include <QString>

// The engine folder, each engine with its version (or why it cannot be used), then the
// installed plug-ins with theirs.
QString EngineListingText(const QString& engineFolder);
