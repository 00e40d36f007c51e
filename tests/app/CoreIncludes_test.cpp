// The batch core and the programs over it know archives through the facade only: they include
// the facade's headers and compress/common, never an engine's folder, so an engine can change
// what it writes without the core following it.
#include <QDirIterator>
#include <QRegularExpression>

#include "support/TestSupport.h"

TEST(CoreIncludes, NoEngineFolderIsIncludedAboveTheFacade) {
  static const QRegularExpression include(QStringLiteral("^#include \"(compress/[^\"]+)\""),
                                          QRegularExpression::MultilineOption);
  static const QRegularExpression allowed(QStringLiteral("^compress/(common/)?[^/]+$"));
  int files = 0;
  for (const char* area : {"app", "cli", "gui"}) {
    QDirIterator it(testsupport::SourceDir() + "/src/" + area, {"*.h", "*.cpp"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      ++files;
      QRegularExpressionMatchIterator found =
          include.globalMatch(QString::fromUtf8(testsupport::ReadFile(path)));
      while (found.hasNext()) {
        const QString header = found.next().captured(1);
        EXPECT_TRUE(allowed.match(header).hasMatch())
            << path.toStdString() << " includes " << header.toStdString();
      }
    }
  }
  EXPECT_GT(files, 0) << "no sources under " << testsupport::SourceDir().toStdString();
}
