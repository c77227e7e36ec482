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

namespace {

// Whether a file can be made in `folder`: under Program Files an ordinary user cannot, and a
// folder that does not exist cannot hold files either. The probe file goes away on close.
bool canWriteInto(const std::wstring& folder) {
    const std::wstring probe = folder + L"\\~keyglow-write-probe.tmp";
    const HANDLE file =
        ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // A probe left behind by a crash still proves the folder takes files.
        return ::GetLastError() == ERROR_FILE_EXISTS;
    }
    ::CloseHandle(file);
    return true;
}

std::wstring environmentValue(const wchar_t* name) {
    std::wstring value(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n =
            ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (n == 0) {
            return {};
        }
        if (n < value.size()) {
            value.resize(n);
            return value;
        }
        value.resize(n);
    }
    return {};
}

bool isFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

// The settings files live beside the executable; when the program folder takes no files (an
// install under Program Files), in %LOCALAPPDATA%\KeyGlow.
std::wstring writableConfigFolder() {
    return writableConfigFolderFor(programFolder());
}

std::wstring writableConfigFolderFor(const std::wstring& folder) {
    if (!folder.empty() && canWriteInto(folder)) {
        return folder;
    }
    const std::wstring base = environmentValue(L"LOCALAPPDATA");
    if (base.empty() || !isFolder(base)) {
        return folder;
    }
    const std::wstring target = base + L"\\KeyGlow";
    if (!::CreateDirectoryW(target.c_str(), nullptr) && !isFolder(target)) {
        return folder;
    }
    return target;
}

}  // namespace platform
