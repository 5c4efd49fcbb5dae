// The controls' test program: one QApplication on the offscreen platform for all tests (also when
// ctest only lists them), with the fixed test palette.

#include <QApplication>

#include <gtest/gtest.h>

#include "TestSupport.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    controlstest::UseTestPalette();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
