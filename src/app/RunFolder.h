#pragma once
// What one run leaves on the disk while it works, marked as its own: a folder below the temp root
// for the work folders of its items, and a list of the outputs it is writing. A lock beside the
// folder names the run's process; when that process is gone (killed, crashed, the power cut), the
// next start of the program removes the folder and the partial outputs, never a live run's.
#include <QLockFile>
#include <QString>

#include <memory>

#include "app/OutputReservations.h"

class TRunFolder : public IOutputNotes {
 public:
  // tempRoot ends in '/'. Makes the folder, then the lock; without them (a temp root that cannot
  // be written) the run goes on and its work folders fail as they would.
  explicit TRunFolder(const QString& tempRoot);
  // Removes the folder and every output still listed, then the lock.
  ~TRunFolder() override;
  TRunFolder(const TRunFolder&) = delete;
  TRunFolder& operator=(const TRunFolder&) = delete;

  // The folder for the run's work folders, ending in '/'.
  QString path() const { return folder_ + '/'; }

  // One output at a time is noted, until its item's result is recorded (or the output removed).
  // Before its name is held: the working file that will hold it, which the next start removes with
  // the name's file when that is the same file. Once held: the name, whose file (the empty one
  // holding it, a partial archive, or a finished one whose result no one was told) the next start
  // removes with what its packer wrote beside it.
  void HoldingOutput(const QString& output, const QString& working) override;
  void BeginOutput(const QString& output) override;
  void EndOutput();

 private:
  void Note(const QByteArray& note);

  QString folder_;
  std::unique_ptr<QLockFile> lock_;
};

// Removes what runs below tempRoot left when they ended without cleaning up: their folders and
// partial outputs, once their lock is free, and whatever unmarked lies there (left by a version
// that did not mark its runs); then the temp root itself when it is empty. Returns how many runs
// were cleaned.
int RemoveEndedRuns(const QString& tempRoot);

// The lock beside a folder (folder + ".lock") that names the process owning the folder: it can
// be taken once that process is gone, whatever the lock's age, and never while it lives on this
// machine. Run folders are marked with it, and so is whatever else a process leaves for the next
// start to take back.
std::unique_ptr<QLockFile> FolderOwnerLock(const QString& folder);

// The lock of a folder whose owner is gone, held, for clearing away what the owner left; null while
// the owner lives. An owner killed between making its lock file and writing its process number in
// it left a file that names no one: that is taken too, once it is still empty a moment later and no
// process holds it.
std::unique_ptr<QLockFile> TakeEndedOwnersLock(const QString& folder);
