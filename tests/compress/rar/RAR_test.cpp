// The unrar wrapper's own contract: the events it raises, the facts it gathers, and the
// extraction options the facade does not use.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "RarFixtures.h"
#include "compress/rar/RAR.h"

using namespace rarfixtures;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

class RARTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HM_REQUIRE_TOOL("rar");
    HM_REQUIRE_ENGINE("libunrar.so");
    WriteFile(source + "/dir/inner.txt", "inner");
    WriteFile(source + "/top.txt", "top");
    testsupport::MakeDir(source + "/empty");
  }

  QString Pack(const QString& name, const QStringList& switches) {
    const QString archive = dir.file(name);
    EXPECT_EQ(Rar(QStringList{"a", "-r", "-EP1"} + switches + QStringList{archive, source + "/*"}).exitCode,
              0);
    return archive;
  }

  void Wire(TRAR& rar) {
    rar.DllName = library;
    rar.OnError = [this](int code, TRAROperation operation) { errors << qMakePair(code, operation); };
    rar.OnListFile = [this](const TRARFileItem& item) { items << item; };
  }

  testsupport::TempDir dir;
  QString source = dir.file("source");
  QString library = EngineContext().engineFolder + "libunrar.so";
  QList<QPair<int, TRAROperation>> errors;
  QList<TRARFileItem> items;
};

}  // namespace

TEST_F(RARTest, ListingReportsEveryEntryAndTheArchiveFacts) {
  const QString archive = Pack("facts.rar", {"-s", "-psecret"});
  WriteFile(dir.file("comment.txt"), QString::fromUtf8("Kommentar: 注释\n").toUtf8());
  ASSERT_EQ(Rar({"c", "-scfc", "-z" + dir.file("comment.txt"), archive}).exitCode, 0);
  ASSERT_EQ(Rar({"k", archive}).exitCode, 0);
  TRAR rar;
  Wire(rar);
  ASSERT_TRUE(rar.OpenFile(archive));
  ASSERT_EQ(items.size(), 4);
  for (const TRARFileItem& item : items) {
    SCOPED_TRACE(item.FileName.toStdString());
    EXPECT_EQ(item.FileName, item.FileNameW);
    EXPECT_EQ(item.Directory, item.FileName == "dir" || item.FileName == "empty");
    EXPECT_EQ(item.Encrypted, !item.Directory);
    EXPECT_EQ(item.HostOS, "Unix");
    EXPECT_EQ(item.ArchiverVersion, 50);
    EXPECT_TRUE(item.Time.isValid());
    EXPECT_TRUE(QRegularExpression("^[0-9A-F]{8}$").match(item.CRC32).hasMatch());
    if (item.FileName == "top.txt") {
      EXPECT_EQ(item.UnCompressedSize, 3u);
    }
  }
  const TRARArchiveInformation& info = rar.ArchiveInformation();
  EXPECT_TRUE(info.Opened);
  EXPECT_TRUE(info.Locked);
  EXPECT_TRUE(info.Solid);
  EXPECT_FALSE(info.HeadersEncrypted);
  EXPECT_EQ(info.Comment.trimmed(), QString::fromUtf8("Kommentar: 注释"));
  EXPECT_EQ(info.TotalFiles, 4);
  // Every header read and every skip is reported, successes included.
  ASSERT_EQ(errors.size(), 8);
  for (const auto& [code, operation] : errors) EXPECT_EQ(code, 0);
}

TEST_F(RARTest, PasswordRequestsNameTheirObjectAndCanBeCancelled) {
  const QString archive = Pack("hp.rar", {"-hpsecret"});
  struct Request {
    bool header;
    QString name;
  };
  QList<Request> requests;
  TRAR rar;
  Wire(rar);
  rar.OnPasswordRequired = [&](bool header, const QString& name, QString& password, bool& cancel) {
    requests << Request{header, name};
    password = "secret";
  };
  ASSERT_TRUE(rar.OpenFile(archive));
  ASSERT_EQ(requests.size(), 1);
  EXPECT_TRUE(requests[0].header);
  EXPECT_EQ(requests[0].name, archive);
  ASSERT_TRUE(rar.Extract(dir.file("out"), true));
  ASSERT_GE(requests.size(), 2);
  EXPECT_FALSE(requests.last().header);
  EXPECT_EQ(TreeListing(dir.file("out")), TreeListing(source));

  TRAR cancelled;
  Wire(cancelled);
  int asked = 0;
  cancelled.OnPasswordRequired = [&](bool, const QString&, QString& password, bool& cancel) {
    ++asked;
    password = "secret";  // ignored: the request was cancelled
    cancel = true;
  };
  errors.clear();
  EXPECT_FALSE(cancelled.OpenFile(archive));
  EXPECT_EQ(asked, 1);
  ASSERT_FALSE(errors.isEmpty());
  EXPECT_EQ(errors.last().first, 22);
  EXPECT_EQ(errors.last().second, roListFiles);
}

TEST_F(RARTest, ExtractSelectedFilesOrFlat) {
  const QString archive = Pack("plain.rar", {});
  TRAR rar;
  Wire(rar);
  ASSERT_TRUE(rar.OpenFile(archive));
  ASSERT_TRUE(rar.Extract(dir.file("selected"), true, {"dir/inner.txt"}));
  EXPECT_EQ(TreeListing(dir.file("selected")), QStringList({"dir/", "dir/inner.txt"}));
  ASSERT_TRUE(rar.Extract(dir.file("flat"), false));
  EXPECT_EQ(TreeListing(dir.file("flat")), QStringList({"inner.txt", "top.txt"}));
}

TEST_F(RARTest, OperationsFailCleanlyWithoutALibraryOrAnArchive) {
  TRAR noLibrary;
  Wire(noLibrary);
  noLibrary.DllName = dir.file("nothing-here.so");
  EXPECT_FALSE(noLibrary.OpenFile(Pack("a.rar", {})));
  EXPECT_FALSE(noLibrary.IsLoaded());
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0].first, 99);

  TRAR neverOpened;
  Wire(neverOpened);
  errors.clear();
  EXPECT_FALSE(neverOpened.Extract(dir.file("out"), true));
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0].first, 15);
}
