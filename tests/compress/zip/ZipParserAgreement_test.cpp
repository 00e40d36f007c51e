// Where an archive's end record and directory are, read as the reference readers (python's
// zipfile, unzip, 7z, bsdtar) read them: an archive that reads as one thing here and as another
// there smuggles content past whatever scanned it with the other reader. Each hand-made archive
// is extracted by every reference reader in the same run and compared with ours.
#include <QDir>

#include "ZipTestSupport.h"

using namespace ziptest;
using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::TempDir;
using testsupport::TreeListing;

namespace {

// What a reader made of an archive: whether it said it succeeded, and every file as "name=content".
struct Reading {
  bool ok = false;
  QStringList files;
  bool operator==(const Reading&) const = default;
};

Reading Extracted(const QString& out, bool ok) {
  Reading r{ok, {}};
  for (const QString& path : TreeListing(out))
    if (!path.endsWith('/')) r.files << path + '=' + QString::fromUtf8(ReadFile(out + '/' + path));
  return r;
}

struct ReferenceReader {
  const char* name;
  QStringList command;  // "{archive}" and "{out}" stand for the archive and the folder
  int worstSuccess;     // exit codes up to this one are success (unzip and 7z: 1 is a warning)
};

const ReferenceReader kReferences[] = {
    {"python",
     {"python3", "-c", "import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])",
      "{archive}", "{out}"},
     0},
    {"unzip", {"unzip", "-o", "-q", "{archive}", "-d", "{out}"}, 1},
    {"7z", {"7z", "x", "-y", "-o{out}", "{archive}"}, 1},
    {"bsdtar", {"bsdtar", "-xf", "{archive}", "-C", "{out}"}, 0},
};

Reading ReadWith(const ReferenceReader& reader, const QString& archive, const QString& out) {
  QStringList args = reader.command.mid(1);
  args.replaceInStrings("{archive}", archive).replaceInStrings("{out}", out);
  QDir().mkpath(out);
  const int exitCode = RunTool(reader.command.first(), args).exitCode;
  return Extracted(out, exitCode >= 0 && exitCode <= reader.worstSuccess);
}

QString Describe(const Reading& r) {
  return (r.ok ? QStringLiteral("ok [") : QStringLiteral("failed [")) + r.files.join(", ") + ']';
}

void PrintTo(const Reading& r, std::ostream* os) { *os << Describe(r).toStdString(); }

}  // namespace

TEST(ZipParserAgreement, EndRecordsAndDirectoriesReadAsTheReferenceReadersReadThem) {
  for (const ReferenceReader& reference : kReferences) HM_REQUIRE_TOOL(qPrintable(reference.command.first()));
  struct Case {
    const char* name;
    QStringList files;           // what we extract
    bool ok = !files.isEmpty();  // or an empty archive
  };
  const QStringList both{"a.txt=alpha", "b.txt=beta"};
  const Case cases[] = {
      {"plain", both},
      {"trailing-bytes", both},
      // The end record is the last one in the file. One that runs past the end is damage, not a
      // reason to look further back, where another archive may hide.
      {"comment-past-end", {}},
      {"hidden-end-record", {}},
      {"holder-covers-hidden", {}},
      {"end-record-cut", {}},
      // A last record that points at no directory is comment text when an earlier record's
      // comment holds it, and damage otherwise; when it does point at one, the file reads two ways.
      {"comment-holds-magic", both},
      {"junk-end-after-archive", {}},
      {"comment-holds-end-record", {}},
      // A prefix, counted by the offsets or not, and an archive behind another.
      {"prefix-counted", {"a.txt=alpha"}},
      {"prefix-not-counted", {"a.txt=alpha"}},
      {"concatenated", {"two.txt=second"}},
      // A directory offset or size a little wrong is recovered, as unzip or bsdtar recover it;
      // every entry's checksum still holds. Both wrong, or the entry count, is damage.
      {"offset-3", both},
      {"offset+5", both},
      {"size-3", both},
      {"size+5", both},
      {"offset+4-size+4", {}},
      {"count-wrong", {}},
      // A size that counts only the last header, as if a prefix lay before the archive: read from
      // the stored offset, as 7z reads it, when the archive begins the file; behind a real prefix
      // no reference reader recovers it.
      {"size-of-last-header", both},
      {"size-of-last-header-prefix", {}},
      // Inputs the fuzzer found: end records inside one another; the reference readers take each
      // file as an empty archive.
      {"found-record-in-record", {}, true},
      {"found-empty-in-comment", {}, true},
      {"found-empty-in-damaged", {}, true},
  };
  TempDir dir;
  ASSERT_TRUE(Craft(dir, cases));

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString archive = Crafted(dir, c.name);
    QList<Reading> references;
    QString told;
    for (const ReferenceReader& reference : kReferences) {
      references << ReadWith(reference, archive, dir.file(QString("%1.%2").arg(c.name, reference.name)));
      told += QString("\n  %1: %2").arg(reference.name, Describe(references.last()));
    }
    Engine e;
    const QString out = dir.file(QString("%1.ours").arg(c.name));
    const Reading ours = Extracted(out, e.zip.UnZipFile(archive, out) == crSuccess);
    SCOPED_TRACE(("ours: " + Describe(ours) + told).toStdString());

    EXPECT_EQ(ours, (Reading{c.ok, c.files}));
    if (references.count(references.first()) == references.size() && references.first().ok) {
      EXPECT_EQ(ours, references.first()) << "every reference reader agrees";
    }
    if (ours.ok) {
      const auto sameFiles = [&](const Reading& r) { return r.files == ours.files; };
      EXPECT_TRUE(std::any_of(references.begin(), references.end(), sameFiles))
          << "no reference reader shows what we extracted";
    }
  }
}
