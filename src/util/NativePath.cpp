#include "util/NativePath.h"

#include <QFile>

std::string NativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::filesystem::path FileSystemPath(const QString& path) { return std::filesystem::path(NativePath(path)); }

QString FromNativePath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

QString FromFileSystemPath(const std::filesystem::path& path) { return FromNativePath(path.native()); }
