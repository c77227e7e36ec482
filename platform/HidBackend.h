#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Our interface to the system's HID class driver: listing the present HID interfaces, opening
// one by path, reading its attributes and capabilities, and moving reports. The values follow
// the Windows HID stack (access bits, share mode, interface paths), because the device logic
// above is written for it; the Linux backend maps hidraw onto the same shape and the emulated
// keyboard implements it in-process.
namespace platform {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};

    friend bool operator==(const Guid&, const Guid&) = default;
};

// The HID device interface class {4D1E55B2-F16F-11CF-88CB-001111000030}.
inline constexpr Guid kHidInterfaceClassGuid{
    0x4D1E55B2u, 0xF16Fu, 0x11CFu, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// An opaque handle chosen by the backend. 0 means "no handle"; kInvalidHidHandle is what a
// failed open returns (the Win32 backend hands out the system's HANDLE values, whose invalid
// value has the same bits).
using HidHandle = std::uintptr_t;
inline constexpr HidHandle kNoHidHandle = 0;
inline constexpr HidHandle kInvalidHidHandle = ~HidHandle{0};

// Desired access (top byte of HidDevice's packed access value) and share mode (low byte).
inline constexpr std::uint32_t kGenericRead = 0x80000000u;
inline constexpr std::uint32_t kGenericWrite = 0x40000000u;
inline constexpr std::uint32_t kShareRead = 0x1u;
inline constexpr std::uint32_t kShareWrite = 0x2u;

// Interface flag reported for a present interface (SPINT_ACTIVE).
inline constexpr std::uint32_t kInterfaceActive = 0x1u;

// How reading an interface's detail (its path) went during enumeration.
enum class InterfaceDetail {
    Ok,                  // the path is in `path`
    SizeQuerySucceeded,  // the size query unexpectedly succeeded; the interface is skipped
    Failed,              // the detail could not be read
};

struct HidInterfaceEntry {
    std::uint32_t memberIndex = 0;
    Guid interfaceClassGuid;
    std::uint32_t flags = 0;
    InterfaceDetail detail = InterfaceDetail::Ok;
    std::wstring path;
};

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
};

// The interface's top-level collection and its report lengths in bytes, each including the
// report ID byte, 0 when the collection has no report of that kind.
struct HidCaps {
    std::uint16_t usage = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t inputReportByteLength = 0;
    std::uint16_t outputReportByteLength = 0;
    std::uint16_t featureReportByteLength = 0;

    friend bool operator==(const HidCaps&, const HidCaps&) = default;
};

enum class WriteOutcome {
    CompletedAtOnce,   // the write finished inside the call that started it
    CompletedPending,  // it was pending and finished within the time limit
    TimedOut,          // still pending at the limit: it has been cancelled and has ended
    Failed,            // the start or the completion failed (errorCode says why)
};

struct WriteResult {
    WriteOutcome outcome = WriteOutcome::Failed;
    std::uint32_t bytesWritten = 0;
    std::uint32_t errorCode = 0;  // the system's error code of the failed or pending start
};

class HidBackend {
public:
    virtual ~HidBackend() = default;

    // Lists the present interfaces of `interfaceClass` in the system's order. False when the
    // interface set itself cannot be obtained.
    virtual bool enumerateInterfaces(const Guid& interfaceClass,
                                     std::vector<HidInterfaceEntry>& out) = 0;

    // Opens an existing interface. `desiredAccess` is a combination of kGenericRead and
    // kGenericWrite (0: no access, enough for attributes and capabilities), `shareMode` of
    // kShareRead and kShareWrite. Returns kInvalidHidHandle on failure.
    virtual HidHandle open(const std::wstring& path, std::uint32_t desiredAccess,
                           std::uint32_t shareMode, bool overlapped) = 0;
    virtual bool close(HidHandle handle) = 0;

    virtual bool getAttributes(HidHandle handle, HidAttributes& out) = 0;
    // Reads the parsed report descriptor and the capabilities from it.
    virtual bool getCaps(HidHandle handle, HidCaps& out) = 0;

    // Writes an output report, waiting at most `timeout_ms` for it to finish. A transfer still
    // pending at the limit is cancelled, and the call returns only once it has ended, so the
    // caller's buffer is free again on return.
    virtual WriteResult write(HidHandle handle, const std::uint8_t* data, std::uint32_t length,
                              std::uint32_t timeout_ms) = 0;

    // Feature reports; byte 0 of `buffer` is the report ID.
    virtual bool getFeature(HidHandle handle, std::uint8_t* buffer, std::uint32_t length) = 0;
    virtual bool setFeature(HidHandle handle, const std::uint8_t* buffer, std::uint32_t length) = 0;
};

// The real HID stack of the system the program was built for; lives for the whole process.
HidBackend& systemHidBackend();

}  // namespace platform
