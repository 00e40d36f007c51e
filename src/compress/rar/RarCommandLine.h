#pragma once
// The packer's command lines as argument vectors, and how its exit code is judged. Pure: no file
// system, no process. Each path and the "-p" switch with its password are one argument, so
// spaces and quotes in them reach the packer unchanged.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What to add: a folder's content (recursed through "-r", stored relative to it through "-EP1")
// or a single file. One trailing '/' of rarDir is ignored.
QString RarSource(const QString& rarDir, bool isFolder);

// "a -r -EP1 <archive> <sources...>", with "-k" after "-r" when locking, "-z<commentFile>" after
// "-EP1" when a comment file is given, then "-x@<exclusionList>" when a list is given, and
// "-p<password>" last when a password is given. Every source's content is stored relative to its
// own base folder, so all of them land at the root.
QStringList RarAddArguments(const QString& archive, const QStringList& sources, bool lock,
                            const QString& password, const QString& commentFile = {},
                            const QString& exclusionList = {});

// The text of the exclusion list that keeps the packer out of these links to folders below root
// (native paths): one "<link>/" a line. The packer follows linked folders (through a link to an
// ancestor without end) and matches a listed path exactly only with a trailing '/' (it trims
// trailing blanks of a line) and without wildcards: nothing when a link's path below root holds
// '*' or '?', or a line break, so that no link is left to be followed.
std::optional<QByteArray> RarFolderExclusions(const QByteArray& root,
                                              const std::vector<QByteArray>& folderLinks);
// "c -z<commentFile> <archive>"
QStringList RarCommentArguments(const QString& commentFile, const QString& archive);
// "k <archive>"
QStringList RarLockArguments(const QString& archive);
// "lt -c- -p- <archive>": the technical listing, one record per entry, without the comment and
// without ever asking for a password.
QStringList RarListArguments(const QString& archive);

// The entry names of a technical listing (what the packer printed for RarListArguments), in
// archive order, through RarEntryName; nothing when the output shows no archive. A record's name
// runs from "Name: " to the line break before its "Type: " line, so a name may hold line breaks;
// the packer prints an escape character as '\033' (quotes included), read back as one.
std::optional<QStringList> ParseRarListing(const QByteArray& output);

// "t -p<password> <archive>", or "-p-" without one, so the packer never asks: tests every entry.
QStringList RarTestArguments(const QString& archive, const QString& password);

// Any exit code but 0, warnings included, is a failure; so is a packer that did not start.
inline bool RarRunSucceeded(int exitCode) { return exitCode == 0; }
