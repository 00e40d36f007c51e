#include "support/FakeDesktop.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace testsupport {

FakeDesktop::FakeDesktop() : previousPath_(qgetenv("PATH")) {
  MakeDir(dir_.file("bin"));
  qputenv("PATH", QFile::encodeName(dir_.file("bin")));
}

FakeDesktop::~FakeDesktop() { qputenv("PATH", previousPath_); }

void FakeDesktop::Tool(const QString& name, int exitCode) {
  const QString path = dir_.file("bin/" + name);
  // One write per call, so calls running at the same time do not interleave.
  WriteFile(path,
            "#!/bin/sh\nline=\nfor a in \"$@\"; do line=\"$line[$a]\"; done\n"
            "printf '%s %s\\n' \"$line\" \"$(pwd)\" >> '" +
                QFile::encodeName(dir_.file("calls")) + "'\nexit " + QByteArray::number(exitCode) + "\n");
  QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

QList<QByteArray> FakeDesktop::Calls(int lines) const {
  QElapsedTimer timer;
  timer.start();
  while (ReadFile(dir_.file("calls")).count('\n') < lines && timer.elapsed() < 10000) QThread::msleep(10);
  QList<QByteArray> calls = ReadFile(dir_.file("calls")).split('\n');
  calls.removeLast();
  return calls;
}

void FakeDesktop::ClearCalls() { QFile::remove(dir_.file("calls")); }

}  // namespace testsupport
