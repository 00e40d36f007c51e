#pragma once
// The packer's command lines as argument vectors, and how its exit code is judged. Pure: no file
// system, no process. Each path and the "-p" switch with its password are one argument, so
// spaces and quotes in them reach the packer unchanged.
#include <QString>
#include <QStringList>

// What to add: a folder's content (recursed through "-r", stored relative to it through "-EP1")
// or a single file. One trailing '/' of rarDir is ignored.
QString RarSource(const QString& rarDir, bool isFolder);

// "a -r -EP1 <archive> <sources...>", with "-k" after "-r" when locking, "-z<commentFile>" after
// "-EP1" when a comment file is given, and "-p<password>" last when a password is given. Every
// source's content is stored relative to its own base folder, so all of them land at the root.
QStringList RarAddArguments(const QString& archive, const QStringList& sources, bool lock,
                            const QString& password, const QString& commentFile = {});
// "c -z<commentFile> <archive>"
QStringList RarCommentArguments(const QString& commentFile, const QString& archive);
// "k <archive>"
QStringList RarLockArguments(const QString& archive);

// Any exit code but 0, warnings included, is a failure; so is a packer that did not start.
inline bool RarRunSucceeded(int exitCode) { return exitCode == 0; }
