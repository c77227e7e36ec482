#include "platform/AtomicFile.h"

#include <windows.h>

#include <aclapi.h>

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

// The file a save really replaces. A symbolic link is followed to its final target, so that
// the link stays (MoveFileEx over a link replaces the link itself) and the temporary file lies
// in the target's folder. A plain file, or a name that does not exist yet, is taken as given.
std::wstring resolveLinks(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path;
    }
    HANDLE h =
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return path;
    }
    std::wstring target(32768, L'\0');
    const DWORD n = ::GetFinalPathNameByHandleW(h, target.data(), static_cast<DWORD>(target.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    ::CloseHandle(h);
    if (n == 0 || n >= target.size()) {
        return path;
    }
    target.resize(n);
    return target;
}

// Gives the new file what the user set on the old one: its attributes (hidden, say) and its
// access list when it has one of its own rather than the folder's.
void copyProtection(const std::wstring& from, const std::wstring& to) {
    const DWORD attributes = ::GetFileAttributesW(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (kept != 0) {
        ::SetFileAttributesW(to.c_str(), kept);
    }
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(from.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (::GetSecurityDescriptorControl(descriptor, &control, &revision) != 0 &&
        (control & SE_DACL_PROTECTED) != 0) {
        ::SetNamedSecurityInfoW(const_cast<wchar_t*>(to.c_str()), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, dacl, nullptr);
    }
    ::LocalFree(descriptor);
}

}  // namespace

bool writeFileAtomic(const std::wstring& path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    const std::wstring target = resolveLinks(path);
    const std::wstring temp = temporaryPathFor(target);
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
    if (failedStep == nullptr) {
        copyProtection(target, temp);
    }
    if (failedStep == nullptr &&
        ::MoveFileExW(temp.c_str(), target.c_str(),
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
