#pragma once
// Runs an engine program hidden, in its own folder, and waits for it. Every command-line engine
// (the RAR packer, plug-in extractors) goes through here, so a stop request that kills the
// running child reaches all of them alike.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Parameters as one text, split by the Windows command-line rules (plug-in templates).
// Returns the exit code; a program that cannot be started gives -1, a killed one 255.
int RunEngine(const QString& program, const QString& parameters);
// Arguments given one by one, so paths and passwords with spaces or quotes stay intact.
// workFolder: the working folder instead of the program's own.
int RunEngine(const QString& program, const QStringList& arguments, const QString& workFolder = {});
// Arguments one by one, in the program's folder, while keepGoing is asked every little while;
// when it says no, the program is killed (exit code 255).
int RunEngineWatched(const QString& program, const QStringList& arguments, const std::function<bool()>& keepGoing);
// Arguments one by one in workFolder, with the program's console output handed to onOutput
// piece by piece while it runs.
int RunEngineReading(const QString& program, const QStringList& arguments, const QString& workFolder,
                     const std::function<void(const QByteArray& piece)>& onOutput);
