#pragma once
// RAR output through the command-line packer "rar" in the engine folder: one run per operation,
// judged by its exit code alone (0 = success). A stop request kills the running packer; the run
// then reports 255 and the operation fails.
//
// The packer writes the new copy of an archive it changes (adding to it, comment, lock) into its
// working folder, so it runs in the archive's folder, which it must be able to write anyway: the
// engine folder of an installed program is read-only.
#include <QString>

#include <memory>

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
  // Sets the archive comment from the context's comment file.
  bool AddComment(const QString& CompressPath);
  // Locks the archive against further change.
  bool SetLock(const QString& CompressPath);

  // The packer program: engine folder + "rar".
  QString RarExePath() const;
  // Its version as the packer prints it (-iver); not usable when it cannot be run.
  TEngineInfo Describe() const;

 private:
  bool Run(const QStringList& arguments, const QString& archive);
  // The packer would follow links to folders, through one to an ancestor without end. list
  // stays empty when there are none.
  bool ExcludeFolderLinks(const QString& folder, std::unique_ptr<TRarTemporaryFile>& list);
  // The packer is not in the engine folder: false, with that as the cause.
  bool Missing();

  TEngineContext& context_;
};
