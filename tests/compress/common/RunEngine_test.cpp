#include "compress/common/RunEngine.h"

#include <QFile>

#include "support/TestSupport.h"

namespace {

// A small engine stand-in: records its working folder and arguments, exits with $1.
QString MakeScript(const testsupport::TempDir& dir) {
  const QString script = dir.file("engine/fake-engine");
  testsupport::WriteFile(script,
                         "#!/bin/sh\n"
                         "pwd > \"$(dirname \"$0\")/seen\"\n"
                         "for a in \"$@\"; do printf '[%s]\\n' \"$a\" >> \"$(dirname \"$0\")/seen\"; done\n"
                         "exit \"$1\"\n");
  QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return script;
}

TEST(RunEngine, RunsInTheProgramFolderAndReturnsTheExitCode) {
  testsupport::TempDir dir;
  const QString script = MakeScript(dir);

  EXPECT_EQ(RunEngine(script, QStringList{"3", "two words", "quote\"d"}), 3);
  EXPECT_EQ(testsupport::ReadFile(dir.file("engine/seen")),
            (dir.file("engine") + "\n[3]\n[two words]\n[quote\"d]\n").toUtf8());

  EXPECT_EQ(RunEngine(script, QString("0 \"a b\" c")), 0);
  EXPECT_EQ(testsupport::ReadFile(dir.file("engine/seen")),
            (dir.file("engine") + "\n[0]\n[a b]\n[c]\n").toUtf8());
}

TEST(RunEngine, AProgramThatCannotStartIsAFailure) {
  testsupport::TempDir dir;
  EXPECT_NE(RunEngine(dir.file("missing"), QStringList{}), 0);
  EXPECT_NE(RunEngine(dir.file("missing"), QString()), 0);
}

}  // namespace
