#pragma once
// Multi-line values of the update texts (addresses, rules, file lists): lines end at CR LF, CR or
// LF, and empty lines are dropped.
#include <QString>
#include <QStringList>

QStringList SplitLines(const QString& text);
