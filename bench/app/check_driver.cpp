// The check that an output holds every file it was given, alone, over the outputs of a batch, so
// batch_bench.sh can set its cost beside the whole batch:
//   hm_check_driver ENGINE_DIR MUST_FILES_DIR EXT TREES_DIR OUTPUT_DIR
// For every folder TREES_DIR/NAME it checks OUTPUT_DIR/NAME + EXT against the folder's files and
// the must-have files, as the packing step does, and prints how many names were checked and how
// many the outputs lack (the trees are the sources before cleanup, so the files the cleanup
// deleted count as lacking; the work is the same).
#include <QCoreApplication>
#include <QDir>
#include <QLoggingCategory>

#include <cstdio>

#include "app/OutputCompleteness.h"
#include "compress/vxCompress.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  if (args.size() != 5) {
    std::fprintf(stderr, "usage: hm_check_driver ENGINE_DIR MUST_FILES_DIR EXT TREES_DIR OUTPUT_DIR\n");
    return 2;
  }
  QLoggingCategory::setFilterRules(QStringLiteral("harrowmint.*=false"));
  TvxCompress compress(args[0]);
  long checked = 0;
  long missing = 0;
  for (const QString& name : QDir(args[3]).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    const QString archive = args[4] + '/' + name + args[2];
    const std::optional<QStringList> expected = ExpectedEntries({args[3] + '/' + name, args[1]}, archive);
    if (!expected) return 1;
    checked += expected->size();
    missing += MissingEntries(compress, archive, *expected).size();
  }
  std::printf("%ld names checked, %ld lacking\n", checked, missing);
  return 0;
}
