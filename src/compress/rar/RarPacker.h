#pragma once
// RAR output through the command-line packer "rar" in the engine folder, each run judged by its
// exit code alone (0 = success). A stop request kills the running packer; the run then reports
// 255 and the operation fails.
//
// The packer writes the new copy of an archive it changes (adding to it, comment, lock) into its
// working folder, so it runs in the archive's folder (or a folder of its own there), which it
// must be able to write anyway: the engine folder of an installed program is read-only.
#include <QString>
#include <QStringList>

#include <optional>

#include "compress/common/EngineContext.h"
#include "compress/common/EngineInfo.h"
#include "compress/rar/RarTemporaryFile.h"

class TRarPacker {
 public:
  explicit TRarPacker(TEngineContext& context);

  // Whether engine folder + "rar" exists; every operation checks it first.
  bool RarExeExists() const;
  // Adds the folder's content (or the single file) to rarFile, creating it when missing and
  // merging into it when it exists; with the context's password and lock flag. Links to folders
  // are left out, as ListPackableFiles leaves them; a link to a folder whose name the packer
  // cannot be told exactly (a wildcard or a line break) fails the add before the packer runs.
  bool RarFile(const QString& rarDir, const QString& rarFile);
  // A new archive holding the content of every folder (or the single file) of rarDirs at its
  // root, links to folders left out as above, with the comment file's text as its comment when
  // that file exists and can be read, and locked when `lock` (or the context's lock flag) is set:
  // the same archive as adding each source in turn, then the comment, then the lock, made in one
  // packer run, or in one run per group of sources when two of them hold the same path (RarAddRuns). The
  // comment and lock go into the last run, so their failure fails the operation. The archive is made in a
  // folder under a working name beside rarFile (WorkingNames.h) and renamed over it when complete: whatever
  // lies at rarFile (an empty file that reserves the name) is replaced then, and is left as it was on a
  // failure.
  bool RarFile(const QStringList& rarDirs, const QString& rarFile, bool lock);
  // Sets the archive comment from the context's comment file.
  bool AddComment(const QString& CompressPath);
  // Locks the archive against further change.
  bool SetLock(const QString& CompressPath);
  // Replaces fileList with the archive's entry names, folders included, in archive order, as the
  // packer's technical listing gives them (ParseRarListing): a RAR archive can be listed without
  // the unrar library. A TCompressResult; crFailed when the packer cannot list it.
  int ListRarFiles(const QString& archive, QStringList& fileList);

  // Tests every entry with the packer ("rar t") and this password, for a RAR archive checked
  // without the unrar library. A TCompressResult: crSuccess on exit code 0, crEngineLoadFailed
  // without the packer, else crFailed.
  int TestRarFile(const QString& archive, const QString& password);

  // The packer program: engine folder + "rar".
  QString RarExePath() const;
  // Its version as the packer prints it (-iver); not usable when it cannot be run.
  TEngineInfo Describe() const;

 private:
  // With progress, the packer's percentage is read from its output as a share of sourceBytes.
  bool Run(const QStringList& arguments, const QString& archive, const TByteProgress& progress = {},
           quint64 sourceBytes = 0);
  // The list of the links to folders below the folders of rarDirs, which the packer would follow
  // (through one to an ancestor without end). list stays empty when there are none.
  bool ExcludeFolderLinks(const QStringList& rarDirs, std::optional<TRarTemporaryFile>& list);
  // The packer is not in the engine folder: false, with that as the cause.
  bool Missing();

  // Bytes of the files and folders given.
  static quint64 SourceBytes(const QStringList& sources);

  TEngineContext& context_;
};
