#pragma once
// The older file versions a RAR 5 archive keeps (`rar a -ver`). The unrar library reports them
// as ordinary entries named "name;N"; `unrar x` leaves them out, and so does our extraction. Only
// the version record in a file's header tells them from a file whose own name ends in ";N", and
// the library does not pass it on, so the headers are read here.
#include <QSet>
#include <QString>

// Names of the older versions, as the library reports them ("name;N"). Empty for an archive that
// keeps none, and for one whose headers cannot be read (encrypted headers, RAR 4, damage): then
// everything is extracted, as before, and nothing is lost.
QSet<QString> Rar5OlderVersions(const QString& archive);
