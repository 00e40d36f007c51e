#pragma once
// T7zInArchive: reads one 7z archive through the library's 7z handler.
#include <QString>

#include <cstdint>
#include <ctime>
#include <optional>

#include "compress/common/ExtractLedger.h"
#include "compress/sevenzip/ComObject.h"
#include "compress/sevenzip/Password.h"
#include "compress/sevenzip/SevenZipPlugin.h"

// What one extraction did, beyond the library's own result.
struct T7zExtractReport {
  z7::HRESULT result = z7::kFail;  // Extract's return value (0 = success)
  int failedItems = 0;             // items whose operation result was not OK (bad data, CRC, password)
  int unsafeItems = 0;             // items skipped because their name would leave the destination
  int writeErrors = 0;             // extracted files that could not be completed on disk
  bool producedFiles = false;      // at least one file was written (empty ones count)

  bool Clean() const { return result == z7::kOk && failedItems == 0 && unsafeItems == 0 && writeErrors == 0; }
};

class T7zInArchive {
 public:
  explicit T7zInArchive(const T7zPlugin& plugin);
  ~T7zInArchive();
  T7zInArchive(const T7zInArchive&) = delete;
  T7zInArchive& operator=(const T7zInArchive&) = delete;

  void SetPassword(const QString& password) { password_ = T7zPassword(password); }
  // The library asked for the password while opening or extracting.
  bool PasswordAsked() const { return password_.WasAsked(); }

  // Opens the archive (a self-extracting stub of up to 1 MiB before it is allowed). Any
  // result but S_OK means the archive cannot be read: not 7z, damaged, or needs a password.
  z7::HRESULT Open(const QString& archivePath);
  void Close();

  std::uint32_t NumberOfItems() const;
  // The item's path as stored ('/' separators); an unnamed item gets the archive's base name.
  QString ItemPath(std::uint32_t index) const;
  bool ItemIsFolder(std::uint32_t index) const;
  // A symbolic link, as a Unix-made archive stores one (its mode in the high half of kpidAttrib).
  bool ItemIsLink(std::uint32_t index) const;
  // The stored modification time; nothing when the archive keeps none for the item.
  std::optional<timespec> ItemTime(std::uint32_t index) const;

  // Extracts every item below path (not in test mode), each write accounted in the ledger.
  T7zExtractReport ExtractTo2(const QString& path, TExtractLedger* ledger);
  // Decodes every item in the library's test mode, writing nothing: result and failedItems.
  T7zExtractReport Test();

 private:
  const T7zPlugin& plugin_;
  TComPtr<z7::IInArchive> archive_;
  T7zPassword password_;
  QString defaultItemName_;
  bool open_ = false;
};
