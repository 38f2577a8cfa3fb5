// GoogleTest main for tests that need a Qt application: a QApplication on
// the offscreen platform, with the style the program uses, for tests of
// widgets; a QCoreApplication, built with GW20_TEST_CORE_ONLY, for tests of
// what runs without windows (they must not link Qt Widgets).
#include <gtest/gtest.h>

#include <cstdlib>

#ifdef GW20_TEST_CORE_ONLY
#include <QCoreApplication>
#else
#include <QApplication>
#include <QStyleFactory>
#endif

int main(int argc, char** argv) {
#ifdef GW20_TEST_CORE_ONLY
  QCoreApplication app(argc, argv);
#else
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
#endif
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
