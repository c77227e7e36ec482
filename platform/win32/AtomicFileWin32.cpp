#include "platform/AtomicFile.h"

#include <windows.h>

#include <string>

#include "platform/Diagnostics.h"

namespace platform {

namespace {

bool writeAll(HANDLE file, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!::WriteFile(file, p, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        p += written;
        left -= written;
    }
    return true;
}

// Says why a save failed (the system's error code); the caller only learns that it did.
void logFailure(const char* step, DWORD error) {
    writeLog(LogArea::Settings, "could not save a settings file (" + std::string(step) +
                                    "): error " + std::to_string(error) + "\n");
}

}  // namespace

bool writeFileAtomic(const std::wstring& path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    const std::wstring temp = temporaryPathFor(path);
    HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        logFailure("create the temporary file", ::GetLastError());
        return false;
    }
    const char* failedStep = nullptr;
    if (!writeAll(file, bytes)) {
        failedStep = "write";
    } else if (::FlushFileBuffers(file) == 0) {
        failedStep = "flush";
    }
    DWORD error = ::GetLastError();
    if (::CloseHandle(file) == 0 && failedStep == nullptr) {
        failedStep = "close";
        error = ::GetLastError();
    }
    if (failedStep == nullptr &&
        ::MoveFileExW(temp.c_str(), path.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        failedStep = "rename";
        error = ::GetLastError();
    }
    if (failedStep != nullptr) {
        logFailure(failedStep, error);
        ::DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace platform
