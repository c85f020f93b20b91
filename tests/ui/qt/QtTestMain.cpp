// Runs the Qt window tests with one QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <cstdlib>

int main(int argc, char** argv) {
    // No screen is needed: the window is drawn into memory.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    // Settings the windows store (recent projects, language) go to a test folder, never to the
    // user's own.
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setOrganizationName("MotiforaTests");
    QApplication::setApplicationName("test_qt");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
