#include "platform/ProgramFolder.h"

#include <windows.h>

#include <string>

namespace platform {

std::wstring programFolder() {
    // Long paths do not fit MAX_PATH; grow the buffer until the name fits.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (n == 0) {
            return {};
        }
        if (n < size) {
            buffer.resize(n);
            break;
        }
        if (buffer.size() >= 32768) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    const std::size_t slash = buffer.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return {};
    }
    buffer.resize(slash);
    return buffer;
}

wchar_t pathSeparator() {
    return L'\\';
}

// On Windows the settings files live beside the executable.
std::wstring writableConfigFolder() {
    return writableConfigFolderFor(programFolder());
}

std::wstring writableConfigFolderFor(const std::wstring& folder) {
    return folder;
}

}  // namespace platform
