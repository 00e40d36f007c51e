// Test programs run with a QCoreApplication, so Qt classes that expect one (QProcess, timers,
// queued calls) behave as in the real programs. A test file may define its own main instead.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
