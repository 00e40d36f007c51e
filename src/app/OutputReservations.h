#pragma once
// The output names one item holds. Naming finds a name where nothing lies; holding it makes the
// name taken at once for every other item of the run, for other runs and for other machines that
// write into the same output folder: an empty file created there exclusively (O_EXCL), which only
// one creator can win. The packers write beside it and rename the finished archive over it.
// Letting a name go removes the empty file if it is still the one made here, so an item that
// made no output leaves no name behind; an archive put in its place stays.
#include <QString>

#include <sys/types.h>

#include <vector>

class TOutputReservations {
 public:
  enum class THold {
    Held,    // the empty file is this item's
    Taken,   // something appeared at the path since it was found free: the next name is to be tried
    Unheld,  // nothing can be created there (a folder stands there, the folder cannot be written):
             // the name is used as it is, and the packing says what went wrong
  };

  TOutputReservations() = default;
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
  static void Remove(const THeld& held);

  std::vector<THeld> held_;
};
