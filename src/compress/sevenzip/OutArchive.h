#pragma once
// T7zOutArchive: writes a new 7z archive from a queue of files through the library's 7z handler.
#include <QByteArray>
#include <QString>
#include <QVector>

#include <cstdint>
#include <functional>
#include <utility>
#include <variant>

#include "compress/common/Progress.h"
#include "compress/sevenzip/ComObject.h"
#include "compress/sevenzip/Password.h"
#include "compress/sevenzip/SevenZipPlugin.h"

// One file queued for writing.
struct T7zBatchItem {
  std::uint32_t Attributes = 0;  // Windows attributes with the Unix mode in the high 16 bits
  z7::FILETIME CreationTime{};
  bool HasCreationTime = false;
  z7::FILETIME LastWriteTime{};
  QString Path;  // name inside the archive, '/' separated
  bool IsFolder = false;
  bool IsAnti = false;
  QByteArray FileName;  // full source path as the file system has it
  std::uint64_t Size = 0;
};

class T7zOutArchive {
 public:
  explicit T7zOutArchive(const T7zPlugin& plugin);
  T7zOutArchive(const T7zOutArchive&) = delete;
  T7zOutArchive& operator=(const T7zOutArchive&) = delete;

  // Queues the files below dir whose names match mask, named by their path relative to dir
  // (behind prefix + '/' when prefix is not empty): every file ListPackableFiles finds, a
  // subfolder's files before its parent's. False when a folder below cannot be read.
  bool AddFiles(const QString& dir, const QString& prefix, const QString& mask, bool recursive);
  const QVector<T7zBatchItem>& Items() const { return items_; }

  void SetProperty(const QString& name, std::uint32_t value);
  void SetProperty(const QString& name, const QString& value);
  void SetPassword(const QString& password) { password_ = T7zPassword(password); }

  // Writes the archive to a new file beside path and moves it over path only when the library
  // reported success, so a failed run leaves no partial archive. Returns the library's result.
  // progress hears the bytes read so far of the queued files' total; stopRequested is asked as
  // often, and a yes ends the writing with kAbort.
  z7::HRESULT SaveToFile(const QString& path, const TByteProgress& progress = {},
                         std::function<bool()> stopRequested = {});

 private:
  z7::HRESULT ApplyProperties(z7::IOutArchive& archive) const;

  const T7zPlugin& plugin_;
  QVector<T7zBatchItem> items_;
  QVector<std::pair<QString, std::variant<std::uint32_t, QString>>> properties_;
  T7zPassword password_;
};
