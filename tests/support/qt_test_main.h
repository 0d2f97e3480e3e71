#pragma once
// main() for a Qt Test object: the same screen for every run, wherever it runs.
// No display is needed (offscreen unless told otherwise), one logical pixel is
// one device pixel at 96 dpi, and the C locale.

#include <QApplication>
#include <QLocale>
#include <QTest>
#include <clocale>

namespace tesk::testing {

inline void PinQtTestEnvironment() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  qputenv("QT_SCALE_FACTOR", "1");
  qputenv("QT_FONT_DPI", "96");
  qputenv("LC_ALL", "C.UTF-8");
  std::setlocale(LC_ALL, "C.UTF-8");
}

}  // namespace tesk::testing

#define TESK_QT_TEST_MAIN(TestObject)       \
  int main(int argc, char** argv) {         \
    tesk::testing::PinQtTestEnvironment();  \
    QApplication application(argc, argv);   \
    QLocale::setDefault(QLocale::c());      \
    TestObject test;                        \
    return QTest::qExec(&test, argc, argv); \
  }
