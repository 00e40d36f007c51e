#pragma once
// The one way a path held in a QString becomes the path the system calls take, and back. Linux
// names are bytes; Qt reads and writes them as UTF-8 (QFile::encodeName and decodeName), and so
// does every caller through these, so the name the program lists is the name it opens.
#include <QString>

#include <filesystem>
#include <string>

// For open(), stat() and the other C calls: NativePath(path).c_str().
std::string NativePath(const QString& path);
std::filesystem::path FileSystemPath(const QString& path);
QString FromNativePath(const std::string& path);
QString FromFileSystemPath(const std::filesystem::path& path);
