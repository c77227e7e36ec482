#include "platform/AtomicFile.h"

#include <windows.h>

#include <string>

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

}  // namespace

bool writeFileAtomic(const std::wstring& path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    const std::wstring temp = temporaryPathFor(path);
    HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = writeAll(file, bytes) && ::FlushFileBuffers(file) != 0;
    ok = (::CloseHandle(file) != 0) && ok;
    if (ok) {
        ok = ::MoveFileExW(temp.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    if (!ok) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace platform
