#pragma once
// Entry names as the RAR engines give them (the unrar library's wide names, the packer's
// listings) turned into the names the rest of the system compares and shows.
#include <QString>

// rar keeps the bytes of a name that was not UTF-8 on the disk it read as U+E080..U+E0FF behind a
// U+FFFE mark. Such names are read as the bytes they were (DecodeDiskPath), the way names from
// Windows disks are read everywhere else; every other name is returned as it stands.
QString RarEntryName(const QString& wideName);
