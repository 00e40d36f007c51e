#pragma once
// The running programs of one installation: processes whose executable lies in the program
// folder (its top level) under one of the given names. Nothing outside the folder is ever touched.
#include <QList>
#include <QString>
#include <QStringList>

// Process ids, this process excluded. A name matches the executable's file name, with or without
// a trailing ".exe" on the name.
QList<qint64> ProgramProcesses(const QString& programFolder, const QStringList& names);

// Waits up to waitMs for them to end by themselves, then asks those left to end (SIGTERM) and
// waits up to graceMs more. True when none is left.
bool EndProgramProcesses(const QString& programFolder, const QStringList& names, int waitMs, int graceMs);
