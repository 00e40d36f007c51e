#pragma once
// A finished item as one JSON object: the command line's --json line, and the line a watched
// folder's journal keeps for each item.
#include <QJsonObject>
#include <QString>

#include "app/JobObserver.h"

// "index", "source", "status", "state", "output", "outputName", "size", "sizeText",
// "unpackPasswordIndex", "nestedOpened" and "nestedKept" (only when archives inside were opened
// or kept); a dry run's has "dryRun": true and the arrays "deleted" ({path, rule,
// byContent}), "rewritten" ({path, rule, replacement, line, text}) and "renamed" ({path, newName}).
QJsonObject ItemJsonObject(int index, const TItemResult& result);

// The output a line or object names: the one made, or the one a dry run's item would get; empty
// when there is none.
QString ReportedOutput(const TItemResult& result);
