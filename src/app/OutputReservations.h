#pragma once
// The output names one item holds. Naming finds a name where nothing lies; holding it makes the
// name taken at once for every other item of the run, for other runs and for other machines that
// write into the same output folder: an empty file created there exclusively (O_EXCL), which only
// one creator can win. The packers write beside it and rename the finished archive over it.
// Letting a name go removes the empty file if it is still the one made here, so an item that
// made no output leaves no name behind; an archive put in its place stays.
//
// The empty file is made under a working name (WorkingNames.h) and linked to the output's name;
// the working name is noted before it exists. A run killed at any moment of that leaves what the
// next start can tell for its own: a noted working file, and the name's file only when it is the
// same file.
#include <QString>

#include <sys/types.h>

#include <vector>

// Where a run notes the names it holds, for the next start to find after a kill (TRunFolder).
class IOutputNotes {
 public:
  virtual ~IOutputNotes() = default;
  // About to hold output through a working file of this path, which does not exist yet.
  virtual void HoldingOutput(const QString& output, const QString& working) = 0;
  // output is held, or being written.
  virtual void BeginOutput(const QString& output) = 0;
};

class TOutputReservations {
 public:
  enum class THold {
    Held,    // the empty file is this item's
    Taken,   // something appeared at the path since it was found free: the next name is to be tried
    Unheld,  // nothing can be created there (a folder stands there, the folder cannot be written):
             // the name is used as it is, and the packing says what went wrong
  };

  // notes: none for names that need not be found after a kill (tests).
  explicit TOutputReservations(IOutputNotes* notes = nullptr) : notes_(notes) {}
  // Lets every name go.
  ~TOutputReservations();
  TOutputReservations(const TOutputReservations&) = delete;
  TOutputReservations& operator=(const TOutputReservations&) = delete;

  THold Hold(const QString& path);
  // Removes the empty file this made at path, if it still lies there.
  void LetGo(const QString& path);

 private:
  struct THeld {
    QString path;
    dev_t device;
    ino_t inode;
  };
  // A file system without hard links: the empty file is made at the name itself.
  THold HoldDirectly(const QString& path);
  // The name could not be had; `error` is why.
  static THold Refused(const QString& path, int error);
  static void Remove(const THeld& held);

  IOutputNotes* notes_;
  std::vector<THeld> held_;
};
