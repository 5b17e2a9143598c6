// Main of the test programs that need a Qt application object: one QApplication for the whole
// run, on the offscreen platform, with Qt's standard folders moved into its test area so that
// no test can reach the user's own configuration.

#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
