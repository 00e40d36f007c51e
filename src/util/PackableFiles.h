#pragma once
// The files a packing of a folder stores, found the same way for the 7z engine and for the check
// that an output holds everything it was given.
#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

struct TPackableFile {
  QByteArray path;  // full path as the file system has it (for a link, the link's own path)
  QString name;     // relative to the folder, '/'-separated, each part through DecodeDiskName
};

// Regular files at any depth, hidden ones and those in hidden folders included, and links to
// regular files that lie inside the folder, taken with the content they point to. Linked
// folders are not entered; links leading out of the folder or nowhere, devices, pipes and
// sockets are left out. Order: a folder's subfolders first (depth first), then its own files,
// each by the bytes of their names. Without recursive only the folder's own files.
// A missing folder (or a file in its place) has none; nothing when a folder below cannot be read.
std::optional<std::vector<TPackableFile>> ListPackableFiles(const QString& folder, bool recursive = true);

// The symbolic links below the folder that lead to a folder, which ListPackableFiles does not
// enter (a packer that follows them may store a folder twice or, through a link to an ancestor,
// walk without end). Full paths as the file system has them, the folder's path without trailing
// '/' before each, in no set order. Nothing when a folder below cannot be read.
std::optional<std::vector<QByteArray>> ListFolderLinks(const QString& folder);
