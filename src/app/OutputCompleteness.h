#pragma once
// Every file in, every file out: after packing, the output's own directory must name every file
// the packing was given, or the packing failed, whatever the packer reported. The check reads
// the archive's directory only, never its data.
#include <QString>
#include <QStringList>

#include <optional>

#include "compress/ArchiveFacade.h"

// The entry names a packing of these folders into archive must store ('/'-separated, relative to
// their folder): every file ListPackableFiles finds below each, except the archive itself, should
// it lie below one (what holds its name there is no content). Nothing when a folder cannot be read.
std::optional<QStringList> ExpectedEntries(const QStringList& folders, const QString& archive);

// The names of `expected` the archive's listing lacks; all of them when it cannot be listed.
QStringList MissingEntries(IArchiveFacade& compress, const QString& archive, const QStringList& expected);
