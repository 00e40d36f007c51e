// KeepTime: an output gets its source's modification time, to the nanosecond; without it, the time
// it was made. Archives, folders, plain files, and a replaced source.
#include <QDateTime>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

#include "FakeFacade.h"
#include "RunnerFixture.h"
#include "app/StatusTexts.h"
#include "util/NativePath.h"

using testsupport::WriteFile;

namespace {

// A time well in the past, with nanoseconds, so a rounded copy would not pass for it.
constexpr timespec kOldTime{1000000000, 123456789};

void SetTime(const QString& path) {
  const timespec times[2] = {kOldTime, kOldTime};
  ASSERT_EQ(::utimensat(AT_FDCWD, NativePath(path).c_str(), times, 0), 0);
}

timespec TimeOf(const QString& path) {
  struct stat st {};
  EXPECT_EQ(::stat(NativePath(path).c_str(), &st), 0) << path.toStdString();
  return st.st_mtim;
}

bool IsOldTime(const timespec& t) { return t.tv_sec == kOldTime.tv_sec && t.tv_nsec == kOldTime.tv_nsec; }

TEST(KeepTime, OutputsGetTheirSourcesTimeOnlyWhenAskedTo) {
  for (const bool keepTime : {true, false}) {
    SCOPED_TRACE(keepTime);
    RunnerHome h;
    h.settings.KeepTime = keepTime;
    WriteFile(h.In("src.zip"), "archive");
    WriteFile(h.In("Folder/file.txt"), "file");
    WriteFile(h.In("plain.bin"), "plain");
    for (const char* name : {"src.zip", "Folder", "plain.bin"}) SetTime(h.In(name));
    FakeFacade fake;
    fake.archives["src.zip"].content = {{"inside.txt", "inside"}};
    RecordingObserver o;
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    h.Run(o, RunnerHome::Checked({h.In("src.zip"), h.In("Folder"), h.In("plain.bin")}), Factory(fake));
    for (int i = 0; i < 3; ++i) {
      ASSERT_EQ(o.results[i].status, TStatusText::Packed);
      const timespec t = TimeOf(o.results[i].CompressPath);
      if (keepTime)
        EXPECT_TRUE(IsOldTime(t)) << t.tv_sec << "." << t.tv_nsec;
      else
        EXPECT_GE(t.tv_sec, before - 1);
    }
  }
}

// The time of a replaced source is the one it had before the run, not that of its replacement.
TEST(KeepTime, ReplacedSourceKeepsItsOwnTime) {
  RunnerHome h;
  h.settings.KeepTime = true;
  h.settings.RARToFrom = true;
  WriteFile(h.In("src.zip"), "archive");
  SetTime(h.In("src.zip"));
  FakeFacade fake;
  fake.archives["src.zip"].content = {{"inside.txt", "inside"}};
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("src.zip")}), Factory(fake));
  ASSERT_EQ(o.results[0].CompressPath, h.In("src.zip"));
  EXPECT_NE(testsupport::ReadFile(h.In("src.zip")), "archive");
  EXPECT_TRUE(IsOldTime(TimeOf(h.In("src.zip"))));
}

// A failed item leaves no output to give a time to, and nothing else is touched.
TEST(KeepTime, FailedItemsAreLeftAlone) {
  RunnerHome h;
  h.settings.KeepTime = true;
  WriteFile(h.In("src.zip"), "archive");
  SetTime(h.In("src.zip"));
  FakeFacade fake;
  fake.archives["src.zip"].code = crFailed;
  RecordingObserver o;
  h.Run(o, RunnerHome::Checked({h.In("src.zip")}), Factory(fake));
  EXPECT_EQ(o.results[0].status, TStatusText::CannotExtract);
  EXPECT_FALSE(o.results[0].outputExists);
  EXPECT_TRUE(IsOldTime(TimeOf(h.In("src.zip"))));
}

}  // namespace
