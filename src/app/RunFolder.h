#pragma once
// What one run leaves on the disk while it works, marked as its own: a folder below the temp root
// for the work folders of its items, and a list of the outputs it is writing. A lock beside the
// folder names the run's process; when that process is gone (killed, crashed, the power cut), the
// next start of the program removes the folder and the partial outputs, never a live run's.
#include <QLockFile>
#include <QString>

#include <memory>

class TRunFolder {
 public:
  // tempRoot ends in '/'. Makes the lock, then the folder; without them (a temp root that cannot
  // be written) the run goes on and its work folders fail as they would.
  explicit TRunFolder(const QString& tempRoot);
  // Removes the folder and every output still listed, then the lock.
  ~TRunFolder();
  TRunFolder(const TRunFolder&) = delete;
  TRunFolder& operator=(const TRunFolder&) = delete;

  // The folder for the run's work folders, ending in '/'.
  QString path() const { return folder_ + '/'; }

  // An output named, or about to be written, until its item's result is recorded: a run that dies
  // in between leaves an empty file holding the name or a partial file, which the next start
  // removes (with the packers' temporaries beside it).
  void BeginOutput(const QString& output);
  void EndOutput();

 private:
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
