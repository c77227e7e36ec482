#include <gtest/gtest.h>
#include <QApplication>
#include <QTemporaryDir>

// The window tests run on the offscreen platform. The single-instance lock and socket go to a
// runtime folder of this process only, so parallel test runs and a running keyglow of the user
// do not meet.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    if (runtime.isValid()) {
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
