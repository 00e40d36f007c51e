// hm_bench_rar_driver unpack ENGINE_DIR ARCHIVE DEST_DIR [PASSWORD]
// hm_bench_rar_driver list ENGINE_DIR ARCHIVE [PASSWORD]
// Exit code 0 on success.
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

#include "compress/rar/UnRarEngine.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  const bool unpack = args.size() >= 5 && args[1] == "unpack";
  const bool list = args.size() >= 4 && args[1] == "list";
  if (!unpack && !list) {
    std::fprintf(stderr,
                 "usage: %s unpack ENGINE_DIR ARCHIVE DEST [PASSWORD] | list ENGINE_DIR ARCHIVE [PASSWORD]\n",
                 argv[0]);
    return 2;
  }
  TEngineContext context;
  context.engineFolder = args[2];
  const int passwordAt = unpack ? 5 : 4;
  context.unCompressPwd = args.size() > passwordAt ? args[passwordAt] : QString();
  TUnRarEngine engine(context);
  if (unpack) return engine.UnRarFile(args[3], args[4]) == crSuccess ? 0 : 1;
  QStringList names;
  return engine.ListRarFiles(args[3], names) == crSuccess && !names.isEmpty() ? 0 : 1;
}
