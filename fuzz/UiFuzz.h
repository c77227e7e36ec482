#pragma once

#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

// What the toolkit's targets share: one QApplication on the offscreen platform for the whole
// fuzzing process, made from LLVMFuzzerInitialize, and quiet diagnostics (a malformed input
// makes many; writing them out would be most of the time spent).

namespace kgfuzz {

inline void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

inline void startUi() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "keyglow-fuzz";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the process ends with the fuzzer.
    new QApplication(argc, argv);
    // A fatal message still ends the process after the handler.
    qInstallMessageHandler(dropMessages);
}

// Objects a window let go of with deleteLater go now, so that nothing piles up across inputs.
inline void settleUi() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

}  // namespace kgfuzz
