#include <gtest/gtest.h>
#include <QApplication>
#include <QTemporaryDir>

#include "tests/support/OffscreenScreens.h"

// The window tests run on the offscreen platform, on one desktop-sized screen. The
// single-instance lock and socket go to a runtime folder of this process only, so parallel test
// runs and a running keyglow of the user do not meet.
int main(int argc, char** argv) {
    QTemporaryDir runtime;
    if (runtime.isValid()) {
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    if (!runtime.isValid() ||
        !kg::test::useOffscreenScreens(runtime.path(), {{"desktop", 0, 0, 1920, 1080, 96}})) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
