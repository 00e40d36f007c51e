#pragma once
// Helpers shared by the test programs: folders, files, and running the independent tools that
// check our archives.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

#include "support/ToolProcess.h"

namespace testsupport {

// The built programs (harrowmint-cli, Engine/) and the source tree.
QString BinDir();
QString SourceDir();
QString EngineDir();

// A fresh folder removed at the end of the test; path() ends without '/'.
class TempDir {
 public:
  TempDir();
  // Removes names that are not UTF-8 too, which QTemporaryDir cannot.
  ~TempDir();
  QString path() const { return dir_.path(); }
  QString file(const QString& relative) const { return dir_.path() + '/' + relative; }

 private:
  QTemporaryDir dir_;
};

// Bytes that do not compress, the same for the same size.
QByteArray RandomBytes(qsizetype size);

// Creates parent folders as needed.
void WriteFile(const QString& path, const QByteArray& content);
QByteArray ReadFile(const QString& path);
void MakeDir(const QString& path);
// A file, and its folders, at a path below root given as bytes: names that are not valid UTF-8,
// as a Windows system leaves them on a shared disk.
void WriteFileAtRawPath(const QString& root, const QByteArray& relative, const QByteArray& content);

// Every entry below root, relative, sorted; folders end with '/'. Links are listed, not followed.
QStringList TreeListing(const QString& root);

// Runs a program with an argument vector (no shell), standard input closed or fed with `input`.
ToolRun RunTool(const QString& program, const QStringList& args, const QString& workDir = {},
                const QByteArray& input = {}, int timeoutMs = 300000);

// Whether a program is on PATH.
bool HaveTool(const QString& program);

// Polls the condition until it holds (true) or the time is up (false).
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 120000);

// A RAR 5 archive of `source` made by rar with encrypted headers, its key-derivation count then
// set to `count` (2^count iterations a password costs; the packer has no switch for it), the
// header's checksum made right again. No password opens it once the count is changed. False when
// rar or python3 failed.
bool MakeRar5WithKdfCount(const QString& source, const QString& archive, int count);

}  // namespace testsupport

// Readable failure messages for Qt strings (gtest would print them as byte dumps).
QT_BEGIN_NAMESPACE
void PrintTo(const QString& text, std::ostream* os);
void PrintTo(const QStringList& list, std::ostream* os);
void PrintTo(const QByteArray& bytes, std::ostream* os);
QT_END_NAMESPACE

// Whether a test that misses an engine or an outside tool fails instead of skipping: in CI, where
// scripts/setup has installed every one and the build has linked every engine (.ci/run sets
// HM_REQUIRE_ENGINES=1; CI=true counts too). Elsewhere such a test skips with a clear message.
namespace testsupport {
bool MissingIsFailure();
}

#define HM_REQUIRE_PRESENT(present, what)                                              \
  do {                                                                                 \
    if (!(present)) {                                                                  \
      if (testsupport::MissingIsFailure()) FAIL() << "required but missing: " << what; \
      GTEST_SKIP() << what << " missing (run scripts/setup)";                          \
    }                                                                                  \
  } while (0)

// A test that needs an outside tool on PATH.
#define HM_REQUIRE_TOOL(tool) HM_REQUIRE_PRESENT(testsupport::HaveTool(tool), "outside tool " << (tool))
// A test that needs one of the build's engines or plug-in programs (build/bin/Engine/<name>).
#define HM_REQUIRE_ENGINE(name)                                                  \
  HM_REQUIRE_PRESENT(QFileInfo::exists(testsupport::EngineDir() + "/" + (name)), \
                     "build/bin/Engine/" << (name))
