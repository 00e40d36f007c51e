#pragma once
// RAR extraction and listing for the facade, through the unrar library "libunrar.so" in the
// engine folder, loaded for each operation and released at its end.
#include <QString>
#include <QStringList>

#include <functional>

#include "compress/common/CompressResult.h"
#include "compress/common/EngineContext.h"
#include "compress/common/EngineInfo.h"

struct TRARFileItem;

class TUnRarEngine {
 public:
  explicit TUnRarEngine(TEngineContext& context);

  // Extracts every entry into rarDir with the context's decompression password.
  int UnRarFile(const QString& rarFile, const QString& rarDir);  // TCompressResult
  // Decodes and checks every entry (the library's test mode) with this password, writing nothing.
  int TestRarFile(const QString& rarFile, const QString& password);  // TCompressResult
  // Replaces fileList with the archive's entry names, folders included, in archive order.
  int ListRarFiles(const QString& archive, QStringList& fileList);  // TCompressResult

  // The account of the extraction under way (the facade's), or none.
  TExtractLedger* Ledger() const { return context_.ledger; }
  // The library file this engine loads: engine folder + "libunrar.so".
  QString LibraryPath() const;
  // The library tells only the version of its interface, not its release: that goes in the note.
  TEngineInfo Describe() const;

  // Raised when the loaded library is older than the interface this engine needs. The text is
  // meant for the user; only a window shows it, work goes on regardless.
  std::function<void(const QString& message)> OnVersionWarning;

  // The library's event handlers: the last error number into m_Error, the decompression
  // password on request, listed names into the list being filled.
  void OnRarError(int ErrorCode);
  void OnRarPassword(QString& NewPassword, bool& Cancel);
  void OnRarListFile(const TRARFileItem& FileInformation);

 private:
  // The result of a failed operation from the last error the library reported, and its cause.
  int Failed();

  TEngineContext& context_;
  QString password_;  // answered when the library asks: the context's decompression password
  QStringList* listTarget_ = nullptr;
  bool passwordAsked_ = false;  // during the current operation
};
