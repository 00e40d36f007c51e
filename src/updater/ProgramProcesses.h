#pragma once
// The running programs of one installation: processes whose executable lies in the program
// folder (its top level) under one of the given names. Nothing outside the folder is ever touched.
#include <QList>
#include <QString>
#include <QStringList>

// Process ids, this process excluded. A name matches the executable's file name, with or without
// a trailing ".exe" on the name.
QList<qint64> ProgramProcesses(const QString& programFolder, const QStringList& names);

// Waits up to timeoutMs for them to end. True when none is left. They are never ended from here:
// a program that is still repacking must not lose its work to an update.
bool WaitForProgramsToEnd(const QString& programFolder, const QStringList& names, int timeoutMs);
