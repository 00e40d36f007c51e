// Packs, extracts or lists one archive with the ZIP engine, so whole runs can be timed and
// measured from outside:
//   hm_zip_driver pack SOURCE ARCHIVE [THREADS [PASSWORD]]
//   hm_zip_driver unpack ARCHIVE FOLDER [THREADS [PASSWORD]]
//   hm_zip_driver list ARCHIVE
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

#include "compress/common/CompressResult.h"
#include "compress/zip/ZipEngine.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  TEngineContext context;
  TZipEngine engine(context);
  if (args.size() >= 3 && args[0] == QLatin1String("pack")) {
    if (args.size() >= 4) engine.SetThreadCount(args[3].toInt());
    if (args.size() >= 5) context.compressPwd = args[4];
    return engine.ZipFile(args[1], args[2]) ? 0 : 1;
  }
  if (args.size() >= 3 && args[0] == QLatin1String("unpack")) {
    if (args.size() >= 4) engine.SetThreadCount(args[3].toInt());
    if (args.size() >= 5) context.unCompressPwd = args[4];
    const int rc = engine.UnZipFile(args[1], args[2]);
    if (rc != crSuccess) std::fprintf(stderr, "result %d, m_Error %d\n", rc, context.m_Error);
    return rc == crSuccess ? 0 : 1;
  }
  if (args.size() == 2 && args[0] == QLatin1String("list")) {
    QStringList names;
    const int rc = engine.ListZipFiles(args[1], names);
    for (const QString& n : names) std::printf("%s\n", n.toUtf8().constData());
    return rc == crSuccess ? 0 : 1;
  }
  std::fprintf(stderr,
               "usage: hm_zip_driver pack SOURCE ARCHIVE [THREADS [PASSWORD]] | unpack ARCHIVE FOLDER "
               "[THREADS [PASSWORD]] | list ARCHIVE\n");
  return 2;
}
