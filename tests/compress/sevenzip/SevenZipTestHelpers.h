#pragma once
// Shared by the 7z engine tests: the engine folder, the 7z command line as the independent
// reader and writer of fixtures, and small tree builders.
#include <QFileInfo>
#include <QMap>

#include "compress/common/EngineContext.h"
#include "support/TestSupport.h"

namespace sztest {

inline QString EngineFolder() { return testsupport::EngineDir() + '/'; }
inline QString LibraryPath() { return EngineFolder() + QStringLiteral("7z.so"); }

inline TEngineContext Context(const QString& compressPwd = {}, const QString& unCompressPwd = {}) {
  TEngineContext context;
  context.engineFolder = EngineFolder();
  context.compressPwd = compressPwd;
  context.unCompressPwd = unCompressPwd;
  return context;
}

// Runs 7z with -p always given, so an encrypted archive never waits for a prompt.
inline testsupport::ToolRun SevenZip(QStringList args, const QString& password = {},
                                     const QString& tool = "7z") {
  args.insert(1, QStringLiteral("-p") + password);
  return testsupport::RunTool(tool, args);
}

// `7z l -slt`: one map per item (Path, Method, Encrypted, Attributes, ...), in archive order.
inline QList<QMap<QString, QString>> SltItems(const QString& archive, const QString& password = {}) {
  const testsupport::ToolRun run = SevenZip({"l", "-slt", archive}, password);
  QList<QMap<QString, QString>> items;
  const QStringList lines = QString::fromUtf8(run.out).split('\n');
  const int start = lines.indexOf(QStringLiteral("----------"));
  if (start < 0) return items;
  QMap<QString, QString> current;
  for (int i = start + 1; i < lines.size(); ++i) {
    const QString line = lines[i].trimmed();
    if (line.isEmpty()) {
      if (!current.isEmpty()) items << current;
      current.clear();
      continue;
    }
    const int eq = line.indexOf(QStringLiteral(" = "));
    if (eq > 0)
      current.insert(line.left(eq), line.mid(eq + 3));
    else if (line.endsWith(QStringLiteral(" =")))
      current.insert(line.chopped(2), QString());
  }
  if (!current.isEmpty()) items << current;
  return items;
}

inline QStringList SltPaths(const QString& archive, const QString& password = {}) {
  QStringList paths;
  for (const auto& item : SltItems(archive, password)) paths << item.value("Path");
  return paths;
}

// Deterministic content that compresses a little, so sizes are not trivial.
inline QByteArray Content(int size, int seed) {
  QByteArray data(size, '\0');
  quint32 x = 2463534242u + seed;
  for (int i = 0; i < size; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    data[i] = static_cast<char>('a' + (x % 16));
  }
  return data;
}

}  // namespace sztest
