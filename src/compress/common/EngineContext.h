#pragma once
// The state of one facade instance that its engines read and report into. The facade owns it
// and hands a reference to each engine it creates for an operation.
#include <QString>
#include <QStringList>

#include <functional>

#include "compress/common/Progress.h"

class TExtractLedger;

struct TEngineContext {
  QString engineFolder;   // ends with '/'
  QString commentFile;    // RAR and ZIP comments; empty: none
  // Where the files handed to a program go (the comment as the RAR packer reads it, a list of
  // names), ending with '/'; empty: the system's temp folder.
  QString tempFolder;
  bool lockFile = false;  // RAR: lock while creating
  QString compressPwd;    // for archives being created; empty: none
  QString unCompressPwd;  // offered when extracting or listing
  int m_Error = 0;        // last engine error number (RAR library numbering, 22 = bad password)
  // The last extraction met encrypted content: its engine asked for the password. Cleared by the
  // facade before each operation.
  bool encryptedContent = false;
  // The account of the extraction under way, which every write goes through; set by the facade,
  // none for an engine used alone.
  TExtractLedger* ledger = nullptr;
  // Why the last operation failed, in words for the log; the facade clears it before each
  // operation and logs it beside the result.
  QString cause;
  // Hears how far the operation has come; set by the facade's user, may be empty.
  TProgressHandler onProgress;
  // Asked at every block of an in-process engine's work: true once the user asked to stop.
  std::function<bool()> stopRequested;

  bool StopRequested() const { return stopRequested && stopRequested(); }

  // What a packer reports through (extraction is reported by the ledger); empty when nobody
  // listens, so an engine may skip the work of measuring.
  TByteProgress PackingProgress() const {
    if (!onProgress) return {};
    return [handler = onProgress](quint64 done, quint64 total) {
      handler({TProgress::TPhase::Packing, done, total});
    };
  }

  // Records why the operation failed and returns its result: `return context_.Fail(crFailed, ...)`.
  template <class Result>
  Result Fail(Result result, const QString& why) {
    cause = why;
    return result;
  }
};
