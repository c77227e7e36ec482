#include <windows.h>
// windows.h first: the SetupAPI and HID headers build on its types.
#include <setupapi.h>
// MinGW's hidsdi.h declares the hid.dll functions without C linkage.
extern "C" {
#include <hidsdi.h>
}

#include <vector>

#include "platform/HidBackend.h"

namespace platform {
namespace {

GUID toSystem(const Guid& guid) {
    GUID out;
    out.Data1 = guid.data1;
    out.Data2 = guid.data2;
    out.Data3 = guid.data3;
    for (int i = 0; i < 8; ++i) {
        out.Data4[i] = guid.data4[i];
    }
    return out;
}

Guid fromSystem(const GUID& guid) {
    Guid out;
    out.data1 = guid.Data1;
    out.data2 = guid.Data2;
    out.data3 = guid.Data3;
    for (int i = 0; i < 8; ++i) {
        out.data4[i] = guid.Data4[i];
    }
    return out;
}

HANDLE toHandle(HidHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

bool usable(HidHandle handle) {
    return handle != kNoHidHandle && handle != kInvalidHidHandle;
}

// SetupAPI, hid.dll and overlapped device files, as the Windows HID stack offers them.
class Win32HidBackend final : public HidBackend {
public:
    bool enumerateInterfaces(const Guid& interfaceClass,
                             std::vector<HidInterfaceEntry>& out) override {
        out.clear();
        GUID classGuid = toSystem(interfaceClass);
        HDEVINFO set = ::SetupDiGetClassDevsW(&classGuid, nullptr, nullptr,
                                              DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        if (set == INVALID_HANDLE_VALUE) {
            return false;
        }
        for (DWORD index = 0;; ++index) {
            SP_DEVICE_INTERFACE_DATA data{};
            data.cbSize = sizeof data;
            if (!::SetupDiEnumDeviceInterfaces(set, nullptr, &classGuid, index, &data)) {
                break;
            }
            HidInterfaceEntry entry;
            entry.memberIndex = index;
            entry.interfaceClassGuid = fromSystem(data.InterfaceClassGuid);
            entry.flags = data.Flags;

            DWORD required = 0;
            if (::SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr)) {
                entry.detail = InterfaceDetail::SizeQuerySucceeded;
                out.push_back(entry);
                continue;
            }
            // 8-byte elements keep the detail record aligned.
            std::vector<unsigned long long> storage(required / sizeof(unsigned long long) + 1);
            auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
            detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
            if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) ||
                !::SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr,
                                                    nullptr)) {
                entry.detail = InterfaceDetail::Failed;
                out.push_back(entry);
                continue;
            }
            entry.path = detail->DevicePath;
            out.push_back(entry);
        }
        ::SetupDiDestroyDeviceInfoList(set);
        return true;
    }

    HidHandle open(const std::wstring& path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                   bool overlapped) override {
        const DWORD attributes =
            overlapped ? (FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL) : FILE_ATTRIBUTE_NORMAL;
        HANDLE handle = ::CreateFileW(path.c_str(), desiredAccess, shareMode, nullptr,
                                      OPEN_EXISTING, attributes, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return kInvalidHidHandle;
        }
        return reinterpret_cast<HidHandle>(handle);
    }

    bool close(HidHandle handle) override {
        return usable(handle) && ::CloseHandle(toHandle(handle)) != FALSE;
    }

    bool getAttributes(HidHandle handle, HidAttributes& out) override {
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof attributes;
        if (!usable(handle) || !::HidD_GetAttributes(toHandle(handle), &attributes)) {
            return false;
        }
        out.vendorId = attributes.VendorID;
        out.productId = attributes.ProductID;
        out.versionNumber = attributes.VersionNumber;
        return true;
    }

    bool getCaps(HidHandle handle, HidCaps& out) override {
        PHIDP_PREPARSED_DATA preparsed = nullptr;
        if (!usable(handle) || !::HidD_GetPreparsedData(toHandle(handle), &preparsed)) {
            return false;
        }
        HIDP_CAPS caps{};
        const NTSTATUS status = ::HidP_GetCaps(preparsed, &caps);
        ::HidD_FreePreparsedData(preparsed);
        if (status != HIDP_STATUS_SUCCESS) {
            return false;
        }
        out.usage = caps.Usage;
        out.usagePage = caps.UsagePage;
        out.inputReportByteLength = caps.InputReportByteLength;
        out.outputReportByteLength = caps.OutputReportByteLength;
        out.featureReportByteLength = caps.FeatureReportByteLength;
        return true;
    }

    // The control block lives on this stack frame, so the call must not return while the
    // transfer is outstanding: at the time limit it is cancelled and waited for. Its own event
    // (rather than the file handle) signals the end, so that a feature call finishing on the
    // same handle meanwhile cannot end the wait early.
    WriteResult write(HidHandle handle, const std::uint8_t* data, std::uint32_t length,
                      std::uint32_t timeout_ms) override {
        WriteResult result;
        if (!usable(handle)) {
            result.errorCode = ERROR_INVALID_HANDLE;
            return result;
        }
        HANDLE file = toHandle(handle);
        OVERLAPPED overlapped{};
        overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (overlapped.hEvent == nullptr) {
            result.errorCode = ::GetLastError();
            return result;
        }
        DWORD transferred = 0;
        if (::WriteFile(file, data, length, nullptr, &overlapped)) {
            ::GetOverlappedResult(file, &overlapped, &transferred, TRUE);
            result.outcome = WriteOutcome::CompletedAtOnce;
            result.bytesWritten = transferred;
        } else {
            result.errorCode = ::GetLastError();
            if (result.errorCode == ERROR_IO_PENDING) {
                if (::WaitForSingleObject(overlapped.hEvent, timeout_ms) == WAIT_OBJECT_0) {
                    ::GetOverlappedResult(file, &overlapped, &transferred, TRUE);
                    result.outcome = WriteOutcome::CompletedPending;
                    result.bytesWritten = transferred;
                } else {
                    ::CancelIoEx(file, &overlapped);
                    ::GetOverlappedResult(file, &overlapped, &transferred, TRUE);
                    result.outcome = WriteOutcome::TimedOut;
                }
            }
        }
        ::CloseHandle(overlapped.hEvent);
        return result;
    }

    bool getFeature(HidHandle handle, std::uint8_t* buffer, std::uint32_t length) override {
        return usable(handle) && ::HidD_GetFeature(toHandle(handle), buffer, length) != FALSE;
    }

    bool setFeature(HidHandle handle, const std::uint8_t* buffer, std::uint32_t length) override {
        // HidD_SetFeature takes a writable buffer although it only reads it.
        std::vector<std::uint8_t> report(buffer, buffer + length);
        return usable(handle) &&
               ::HidD_SetFeature(toHandle(handle), report.data(), length) != FALSE;
    }
};

}  // namespace

HidBackend& systemHidBackend() {
    static Win32HidBackend backend;
    return backend;
}

}  // namespace platform
