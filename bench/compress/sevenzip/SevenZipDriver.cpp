// hm_bench_sevenzip_driver pack ENGINE_DIR SOURCE_DIR ARCHIVE [PASSWORD]
// hm_bench_sevenzip_driver unpack ENGINE_DIR ARCHIVE DEST_DIR [PASSWORD]
// Exit code 0 on success.
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

#include "compress/sevenzip/SevenZipEngine.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 5 || (args[1] != "pack" && args[1] != "unpack")) {
    std::fprintf(stderr, "usage: %s pack|unpack ENGINE_DIR FROM TO [PASSWORD]\n", argv[0]);
    return 2;
  }
  TEngineContext context;
  context.engineFolder = args[2];
  const QString password = args.size() > 5 ? args[5] : QString();
  try {
    if (args[1] == "pack") {
      context.compressPwd = password;
      return TSevenZipEngine(context).c7ZipFile(args[3], args[4]) ? 0 : 1;
    }
    context.unCompressPwd = password;
    return TSevenZipEngine(context).Unc7ZipFile(args[3], args[4]) == crSuccess ? 0 : 1;
  } catch (const E7zLoadError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 3;
  }
}
