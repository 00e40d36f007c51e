// Which sources of a new RAR archive can share one packer run: those that hold no path in common.
#include <gtest/gtest.h>

#include "compress/rar/RarAddRuns.h"
#include "support/TestSupport.h"

using testsupport::MakeDir;
using testsupport::WriteFile;

TEST(RarAddRuns, SourcesThatShareAPathGoToTheNextRun) {
  testsupport::TempDir dir;
  const auto at = [&dir](const char* name) { return dir.file(name); };
  WriteFile(at("work/Game/game.bin"), "g");
  WriteFile(at("work/readme.txt"), "r");
  WriteFile(at("must/site.url"), "u");
  WriteFile(at("mustSameFile/readme.txt"), "m");
  WriteFile(at("mustSameFolder/Game/extra.txt"), "m");
  MakeDir(at("mustEmptyFolder/Game"));
  WriteFile(at("single/readme.txt"), "s");
  MakeDir(at("empty"));
  const struct {
    QStringList sources;
    QList<QStringList> runs;
  } rows[] = {
      {{at("work/"), at("must/")}, {{at("work/"), at("must/")}}},
      {{at("work/"), at("mustSameFile/")}, {{at("work/")}, {at("mustSameFile/")}}},
      {{at("work"), at("mustSameFolder")}, {{at("work")}, {at("mustSameFolder")}}},
      {{at("work/"), at("mustEmptyFolder/")}, {{at("work/")}, {at("mustEmptyFolder/")}}},
      {{at("work/"), at("single/readme.txt")}, {{at("work/")}, {at("single/readme.txt")}}},
      {{at("single/readme.txt"), at("mustSameFile/")}, {{at("single/readme.txt")}, {at("mustSameFile/")}}},
      {{at("work/"), at("must/"), at("mustSameFile/")}, {{at("work/"), at("must/")}, {at("mustSameFile/")}}},
      {{at("work/"), at("empty/"), at("missing/")}, {{at("work/"), at("empty/"), at("missing/")}}},
      {{}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.sources.join(' ').toStdString());
    EXPECT_EQ(RarAddRuns(row.sources), row.runs);
  }
}
