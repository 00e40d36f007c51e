#pragma once
// One checked item of a run, from its output name to its packed archive: a folder is copied (or
// cleaned in place) and packed, an archive is extracted, cleaned and packed again, any other file
// is packed as it is. Each way through returns the item's outcome; work folders live only as long
// as the item.
#include <QString>

#include "app/ContentCleanup.h"
#include "app/FolderPacking.h"
#include "app/ItemOutcome.h"
#include "app/JobObserver.h"
#include "app/OutputNaming.h"
#include "app/ProgressThrottle.h"
#include "app/RunContext.h"
#include "app/SourceFormat.h"
#include "app/WorkFolders.h"
#include "compress/ArchiveFacade.h"

class TItemJob {
 public:
  // stopRequests: how many stop requests the run has had; only a packer one of them killed ends
  // the item as stopped. onUnreadable hears of a data file the item needs that exists but cannot
  // be read (NameDelete.dat, data.db); the item goes on without its rules.
  TItemJob(const TRunContext& run, IArchiveFacade& compress, IJobObserver& observer,
           TStopRequests stopRequests, TUnreadableFile onUnreadable = {});

  // The judged outcome (JudgeOutput). Never throws: an error inside the item fails the item, with
  // every work folder and any output it began removed.
  TItemOutcome Process(int index, const QString& source);

 private:
  // The item in progress: what its ways share, for as long as it lasts.
  struct TItem {
    TItem(int index, QString source, const QString& tempRoot)
        : index(index), source(std::move(source)), folders(tempRoot) {}
    int index;
    QString source;
    TWorkFolders folders;
    QString output;          // the archive being made; set when the item is named
    QString outputBaseName;  // what precedes its "_N" suffix and extension
  };

  TItemOutcome ProcessSource(TItem& item);
  TItemOutcome ProcessFolder(TItem& item);
  TItemOutcome ProcessFile(TItem& item, const TSourceFormat& format);
  TItemOutcome ProcessArchive(TItem& item, const TSourceFormat& format);
  // Copies the source file alone into a new work folder and packs it in the run's format.
  TItemOutcome PackSourceFile(TItem& item, bool showSteps);
  // Packs in the run's format, under a name with that format's extension.
  TItemOutcome PackInRunFormat(TItem& item, const QString& folder);
  // The outcome of a TPackResult: the archive made, or the failure with the output removed.
  TItemOutcome PackOutcome(const TItem& item, int packResult);
  // Replace-source mode: the packed output takes the source's place, only after an extraction
  // in which every entry came out as itself.
  TItemOutcome ReplaceSource(const TItem& item, bool extractionComplete);

  // Outcomes: the output made; a failure that leaves whatever lies at the output path (nothing
  // was begun there, or a replacement failed and the output stays for the user); a failure that
  // removes the output the item began.
  static TItemOutcome Made(const TItem& item, const QString& status);
  static TItemOutcome Failed(const TItem& item, const QString& status);
  static TItemOutcome Discarded(const TItem& item, const QString& status,
                                TItemVerdict verdict = TItemVerdict::Failed);
  static TItemOutcome CopyFailed(const TItem& item, const QString& workFolder);

  void ShowState(const TItem& item, const QString& state) { observer_.ShowLvState(item.index, state); }

  const TRunContext& run_;
  IArchiveFacade& compress_;
  IJobObserver& observer_;
  TOutputNaming naming_;
  TContentCleaner cleaner_;
  TFolderPacker packer_;
  int progressIndex_ = -1;  // the item the facade's progress belongs to
  TProgressThrottle throttle_;
};
