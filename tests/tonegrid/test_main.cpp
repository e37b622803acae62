// The tests need one Qt application (offscreen unless a platform is set) that outlives every
// test and is gone before static destruction, so this main replaces GoogleTest's.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include "tonegrid/test_application.h"

namespace tonegrid::test {
namespace {
QString configHome;
}  // namespace

QString ConfigHome() { return configHome; }

}  // namespace tonegrid::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // The settings location is looked up once per process, so it is fixed before anything asks.
  QTemporaryDir dir;
  if (!dir.isValid()) return 1;
  tonegrid::test::configHome = dir.path();
  qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
