// Entry of the window tests: they need no display.

#include <gtest/gtest.h>
#include <QApplication>

#include "testing/HeadlessEnvironment.h"

int main(int argc, char** argv) {
    testing_support::HeadlessEnvironment headless;
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
