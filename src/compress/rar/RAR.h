#pragma once
// TRAR: a small wrapper over the unrar library. OpenFile lists an archive (loading the library
// when needed), Extract writes its entries below a folder; errors, password requests and listed
// entries go to the events. The library stays loaded until the wrapper is destroyed.
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include "compress/common/ExtractTarget.h"
#include "compress/rar/RARTypes.h"
#include "compress/rar/UnRarLibrary.h"

// The user message for a library older than this wrapper needs, and its box title.
extern const char* const kRarVersionWarningTitle;
QString RarVersionWarningText();

class TRAR {
 public:
  static constexpr const char* kVersion = "1.2";

  TRAR();
  ~TRAR();
  TRAR(const TRAR&) = delete;
  TRAR& operator=(const TRAR&) = delete;

  QString DllName = QStringLiteral("libunrar.so");
  TOnRARErrorNotifyEvent OnError;
  TOnRARListFile OnListFile;
  TOnRARPasswordRequired OnPasswordRequired;
  TOnRARVersionWarning OnVersionWarning;
  // The account every byte Extract writes goes through; none: no limits.
  TExtractLedger* Ledger = nullptr;

  // Lists every entry of the archive through OnListFile; false when the library cannot be
  // loaded or the archive cannot be read to its end.
  bool OpenFile(const QString& FileName);
  // Extracts the archive opened last into Path, through the extraction target every engine
  // shares. RestoreFolder keeps the stored folders (else files land flat in Path); a non-empty
  // Files extracts only the entries named in it. No link is made: a symbolic link or junction
  // becomes a file holding its target (converted, in the ledger), a hard link or file reference a
  // copy of the entry it names. Entries whose names would leave Path, whose folder a link stands
  // in the way of, or that are copies of an entry that did not come out, are refused and make the
  // result false once the rest is extracted; the older versions of a file (`rar a -ver`) are
  // skipped. Names that were not UTF-8 on the packing disk are read as the bytes they were
  // (DecodeDiskName), here and in listings. Every extracted file and folder is open to its owner.
  bool Extract(const QString& Path, bool RestoreFolder, const QStringList& Files = {});

  // Decodes every entry of the archive opened last and checks it (the library's test mode),
  // writing nothing; errors go to OnError as for extraction. False at the first entry that fails.
  bool Test();

  const TRARArchiveInformation& ArchiveInformation() const { return information_; }
  bool IsLoaded() const { return library_ != nullptr; }
  // The last Extract refused an entry (see Extract).
  bool EntryRefused() const { return entryRefused_; }
  // Bytes the library has unpacked so far.
  quint64 ProcessedBytes() const { return processedBytes_; }

 private:
  bool LoadLibrary();
  TRarArchiveHandle OpenArchive(unsigned openMode, TRAROperation operation);
  bool CloseArchive(TRarArchiveHandle& handle, TRAROperation operation);
  bool ExtractEntry(TRarArchiveHandle& handle, const unrar::RARHeaderDataEx& header, TExtractTarget& target,
                    bool restoreFolder, const QStringList& files);
  // A link the library made (RAR 4 keeps the target as data) becomes a file holding its target;
  // one it would not make (leading out of the destination) is a refused entry. An unrar error code.
  int LinkToFile(TExtractTarget& target, const QString& name, const std::string& path);
  // A link entry written as a file holding its target; an unrar error code.
  int WriteLinkText(TExtractTarget& target, const QString& name, const std::string& path,
                    const QByteArray& linkTarget);
  // A link entry, as Extract writes it; an unrar error code.
  int WriteRedirection(unsigned redirType, TExtractTarget& target, const QString& name, const std::string& path,
                       bool restoreFolder);
  void ReportError(int errorCode, TRAROperation operation);
  std::unique_ptr<unrar::RARHeaderDataEx> NewHeader();

  static int Callback(unsigned msg, unrar::LPARAM userData, unrar::LPARAM p1, unrar::LPARAM p2);
  int AnswerPassword(unsigned msg, unrar::LPARAM buffer, unrar::LPARAM size);
  int AnswerVolume(unsigned msg, unrar::LPARAM name, unrar::LPARAM mode);

  std::unique_ptr<TUnRarLibrary> library_;
  std::vector<wchar_t> comment_;
  std::vector<wchar_t> redirName_;
  TRARArchiveInformation information_;
  QString archive_;
  bool opened_ = false;  // OpenFile has run: later password requests are for entries
  bool abort_ = false;
  bool entryRefused_ = false;  // see EntryRefused
  TExtractTarget* extracting_ = nullptr;  // during Extract
  bool widePasswordAsked_ = false;
  bool wideVolumeGoOn_ = false;
  QString passwordGiven_;
  bool passwordCancelled_ = false;
  QString currentEntry_;
  QSet<QString> volumesAsked_;
  QSet<QString> olderVersions_;  // as the library names them, "name;N"
  quint64 processedBytes_ = 0;
};
