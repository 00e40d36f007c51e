#pragma once
// One checked item of a run, from its output name to its packed archive: a folder is copied (or
// cleaned in place) and packed, an archive is extracted, cleaned and packed again, any other file
// is packed as it is. Work folders live only as long as the item.
#include <QString>

#include "compress/ArchiveFacade.h"
#include "app/ContentCleanup.h"
#include "app/FolderPacking.h"
#include "app/JobObserver.h"
#include "app/OutputNaming.h"
#include "app/RunContext.h"
#include "app/WorkFolders.h"

struct TItemOutcome {
  QString CompressPath;  // the output archive, or the source after a replacement
  QString status;        // the final status text
  bool failed = false;   // failed whatever the output file says (a replacement that did not happen)
};

class TItemJob {
 public:
  // stopRequests: how many stop requests the run has had; only a packer one of them killed ends
  // the item as stopped.
  TItemJob(const TRunContext& run, IArchiveFacade& compress, IJobObserver& observer,
           TStopRequests stopRequests);

  // Never throws: an error inside the item fails the item, with every work folder removed.
  TItemOutcome Process(int index, const QString& source);

 private:
  void ProcessFolder(bool eligible);
  void ProcessFile(bool eligible);
  void ProcessArchive(const QString& detected);
  // Copies the source file alone into a new work folder and packs it; false when packing failed.
  bool PackSourceFile(bool showSteps);
  // Packs in the run's format, under a name with that format's extension.
  int PackInRunFormat(const QString& folder);
  // Status and failure from a TPackResult; true when the archive was made.
  bool TakePackResult(int packResult);
  void ReplaceSource();
  // The item failed and any output it began is removed.
  void Fail(const QString& status);
  void ShowState(const QString& state) { observer_.ShowLvState(index_, state); }

  const TRunContext& run_;
  IArchiveFacade& compress_;
  IJobObserver& observer_;
  TOutputNaming naming_;
  TContentCleaner cleaner_;
  TFolderPacker packer_;

  // The item being worked on.
  int index_ = 0;
  QString path_;
  QString CompressPath_;
  QString outputBaseName_;
  QString status_;
  bool failed_ = false;
  bool discardOutput_ = false;
  TWorkFolders* workFolders_ = nullptr;
};
