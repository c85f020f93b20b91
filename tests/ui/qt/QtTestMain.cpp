// Runs the Qt window tests with one QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
    // No screen is needed: the window is drawn into memory.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    // Settings the windows store (recent projects, language) go to a test folder, never to the
    // user's own.
    QStandardPaths::setTestModeEnabled(true);
    // Each test program (ctest runs several at once) keeps them in a folder of its own, so that
    // one test's language or recent projects never reach another running beside it.
    const QTemporaryDir settingsFolder;
    if (!settingsFolder.isValid()) return 1;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    QApplication::setOrganizationName("MotiforaTests");
    QApplication::setApplicationName("test_qt");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
