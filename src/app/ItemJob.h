#pragma once
// One checked item of a run, from its output name to its packed archive: a folder is copied (or
// cleaned in place) and packed, an archive is extracted, cleaned and packed again, any other file
// is packed as it is. Each way through returns the item's outcome; work folders and the hold on
// the output's name live only as long as the item.
#include <QString>

#include <filesystem>
#include <optional>

#include "app/ContentCleanup.h"
#include "app/FolderPacking.h"
#include "app/ItemOutcome.h"
#include "app/JobObserver.h"
#include "app/NestedArchives.h"
#include "app/OutputNaming.h"
#include "app/ProgressThrottle.h"
#include "app/RunContext.h"
#include "app/RunFolder.h"
#include "app/SourceFormat.h"
#include "app/VolumeSetPlan.h"
#include "app/WorkFolders.h"
#include "compress/ArchiveFacade.h"
#include "compress/common/CompressResult.h"
#include "compress/common/VolumeSet.h"

class TItemJob {
 public:
  // stopRequests: how many stop requests the run has had. Once there is one, no extraction or
  // packing of the item begins, and one that a stop ended (a killed packer, an in-process engine
  // that stopped at its next block) ends the item as stopped. onUnreadable hears of a data file the item needs that exists but cannot
  // be read (NameDelete.dat, data.db); the item goes on without its rules.
  // runFolder: where the item's work folders go, and where the output being written is noted.
  // volumePlan: the run's, shared by its workers; a volume whose set another item packs is skipped.
  TItemJob(const TRunContext& run, const TVolumeSetPlan& volumePlan, TRunFolder& runFolder,
           IArchiveFacade& compress, IJobObserver& observer, TStopRequests stopRequests,
           TUnreadableFile onUnreadable = {});

  // The judged outcome (JudgeOutput). Never throws: an error inside the item fails the item, with
  // every work folder and any output it began removed. The output stays noted in the run folder
  // until the caller has recorded the result and calls its EndOutput: a run that dies before
  // then leaves an output nobody was told of, which the next start removes.
  TItemOutcome Process(int index, const QString& source);

 private:
  // The item in progress: what its ways share, for as long as it lasts.
  struct TItem {
    // The work folders go in the run's folder, which notes the names held too.
    TItem(int index, QString source, TRunFolder& runFolder, bool dryRun)
        : index(index),
          source(std::move(source)),
          folders(runFolder.path()),
          names(&runFolder),
          dryRun(dryRun) {}
    int index;
    QString source;
    TWorkFolders folders;
    TOutputReservations names;     // the output name, held from naming to the end of the item
    QString output;                // the archive being made; set when the item is named
    QString outputBaseName;        // what precedes its "_N" suffix and extension
    int unpackPasswordIndex = -1;  // TItemOutcome::unpackPasswordIndex
    // The source's modification time as the item began (a replacement changes it).
    std::optional<std::filesystem::file_time_type> sourceTime;
    // The set the source is a volume of; it is named, extracted and kept as one archive.
    std::optional<TVolumeSet> volumeSet;
    bool dryRun;  // nothing is packed, nothing outside the work folders touched
    TCleanupReport cleanup;
    QStringList nestedOpened;  // TItemOutcome::nestedOpened
    QStringList nestedKept;    // TItemOutcome::nestedKept

    // Where naming holds the output's name; none in a dry run, which writes nothing in the output
    // folder.
    TOutputReservations* reservations() { return dryRun ? nullptr : &names; }
  };

  TItemOutcome ProcessSource(TItem& item);
  TItemOutcome ProcessFolder(TItem& item);
  TItemOutcome ProcessFile(TItem& item, const TSourceFormat& format);
  TItemOutcome ProcessVolumeSet(TItem& item, const TSourceFormat& format);
  // archive: what is extracted, the source or the volume that opens its set.
  TItemOutcome ProcessArchive(TItem& item, const QString& archive, const TSourceFormat& format);
  // Extracts the archive with the decompression password and then, while another password may
  // open it, with each password of the run's list in order, every try into a new work folder;
  // a try that would take the item past MaxPasswordSeconds is not made. The code is
  // crWrongPassword only when every try said so (or none was made); otherwise a failure that is
  // not a wrong password stands (the first one).
  TExtraction Extract(TItem& item, const QString& archive, const TSourceFormat& format);
  // The one rule for moving on to the next password.
  static bool AnotherPasswordMayOpen(const TExtractResult& extracted);
  // NestedDepth: opens the archives inside the extracted tree in their place (NestedArchives.h),
  // every extraction of the item counted together against the extraction limits. False when
  // those are reached: the item cannot be extracted. Clears *complete when an archive opened did
  // not come out whole.
  bool OpenNested(TItem& item, const QString& folder, quint64 written, bool* complete);
  // Copies the source file alone into a new work folder and packs it in the run's format.
  TItemOutcome PackSourceFile(TItem& item, bool showSteps);
  // Packs the folder into item.output, noted as the run's output in progress (as it is from its
  // naming on) until the item ends; its data is tested as TestOutput asks for an output that is to
  // replace its source or not.
  int PackFolder(const TItem& item, const QString& folder, const QString& format, bool replacesSource);
  // Packs in the run's format, under a name with that format's extension.
  TItemOutcome PackInRunFormat(TItem& item, const QString& folder);
  // KeepTime: the output made gets the source's modification time.
  static void KeepSourceTime(const TItem& item, const TItemOutcome& outcome);
  // The outcome of a TPackResult: the archive made, or the failure with the output removed.
  TItemOutcome PackOutcome(const TItem& item, int packResult);
  // Replace-source mode: the packed output takes the source's place, only after an extraction
  // in which every entry came out as itself.
  TItemOutcome ReplaceSource(const TItem& item, bool extractionComplete);

  // Cleans a prepared folder by the rules, keeping the report for the outcome.
  void Clean(TItem& item, const QString& folder) { item.cleanup = cleaner_.CleanFolder(folder); }

  // Outcomes: a dry run's item where packing would begin; the output made; a failure that leaves whatever
  // lies at the output path (nothing was begun there, or a replacement failed and the output stays for the
  // user); a failure that removes the output the item began.
  static TItemOutcome Previewed(const TItem& item, const QString& output);
  static TItemOutcome Made(const TItem& item, const QString& status);
  static TItemOutcome Failed(const TItem& item, const QString& status);
  static TItemOutcome Discarded(const TItem& item, const QString& status,
                                TItemVerdict verdict = TItemVerdict::Failed);
  static TItemOutcome CopyFailed(const TItem& item, const QString& workFolder);

  void ShowState(const TItem& item, const QString& state) { observer_.ShowLvState(item.index, state); }
  bool StopRequested() const { return stopRequests_ && stopRequests_() > 0; }

  const TRunContext& run_;
  const TVolumeSetPlan& volumePlan_;
  TRunFolder& runFolder_;
  IArchiveFacade& compress_;
  IJobObserver& observer_;
  TStopRequests stopRequests_;
  TOutputNaming naming_;
  TContentCleaner cleaner_;
  TFolderPacker packer_;
  int progressIndex_ = -1;  // the item the facade's progress belongs to
  TProgressThrottle throttle_;
};
