#pragma once
// The work folders of one item: new, empty folders directly under the temp root, all removed when
// the guard goes away, whatever ended the item (an exception included).
#include <QSet>
#include <QString>
#include <QStringList>
#include <stdexcept>

// No work folder could be made (temp root not writable, disk full).
class EWorkFolderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TWorkFolders {
 public:
  // tempRoot ends in '/'.
  explicit TWorkFolders(QString tempRoot);
  ~TWorkFolders();
  TWorkFolders(const TWorkFolders&) = delete;
  TWorkFolders& operator=(const TWorkFolders&) = delete;

  // A new folder named by GetDateRandomName, never one that existed before nor one this guard made
  // (and removed) earlier, so every try of an item has a path of its own. Raises
  // EWorkFolderError when none can be made. The path has no trailing '/'.
  QString NewWorkFolder();

  // Removes one folder made here, before the item ends (a failed extraction's).
  void Remove(const QString& folder);

  // Renames a folder made here to destination, never replacing what lies there; from then on the
  // folder is not this guard's to remove (it lies in whatever holds destination). False, with the
  // folder still here, when the rename fails.
  bool MoveOut(const QString& folder, const QString& destination);

  // Removes every folder made so far.
  void RemoveAll();

 private:
  QString tempRoot_;
  QStringList folders_;
  QSet<QString> used_;  // every name handed out
};
