// Window tests run with a QApplication on the offscreen platform unless the environment names
// another one, so they need no display and never leave a window on a user's screen. The update
// check every window starts looks at no address unless the environment names one: a test never
// reaches beyond this machine, and no network threads of Qt's run beside the one under test.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("HARROWMINT_UPDATE_URL")) qputenv("HARROWMINT_UPDATE_URL", "none:");
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
