#pragma once
// Stand-ins for the desktop's openers (xdg-open, gdbus, dbus-send) that record how they were
// called. While the object lives, PATH holds only the stand-ins' folder, so the machine's own
// openers never answer (nor open a file manager on a developer's screen).
#include <QByteArray>
#include <QList>
#include <QString>

#include "support/TestSupport.h"

namespace testsupport {

class FakeDesktop {
 public:
  FakeDesktop();
  ~FakeDesktop();
  FakeDesktop(const FakeDesktop&) = delete;
  FakeDesktop& operator=(const FakeDesktop&) = delete;

  // Puts a stand-in for the tool on PATH; each call appends "[arg1][arg2]... working-folder".
  void Tool(const QString& name, int exitCode);
  // The recorded calls, once the expected number of lines is there (openers are not waited for),
  // or what there is after ten seconds.
  QList<QByteArray> Calls(int lines) const;
  void ClearCalls();

 private:
  TempDir dir_;
  QByteArray previousPath_;
};

}  // namespace testsupport
