#pragma once

#include <cstdint>

#include "platform/HidBackend.h"

// The program's handle on the one keyboard interface it talks to. Reports are 8 bytes with the
// report ID in byte 0. Each operation holds the system-wide lock named by its label
// ("HidDevice::Open", "HidDevice::Close", "HidDevice::Write", "HidDevice::GetFeature",
// "HidDevice::SetFeature"), so two threads or two processes never run the same operation on the
// keyboard at once; the lock is recursive, so OpenFirstMatch can call Open under it.
class HidDevice {
public:
    static constexpr std::uint32_t kReportLength = 8;
    static constexpr std::uint32_t kWriteTimeout_ms = 3000;
    // Read and write, shared for reading and writing: what the program always passes.
    static constexpr std::uint32_t kDefaultAccess = 0xC0000003u;

    // `backend` must outlive the object: the system's HID stack or the emulated keyboard.
    explicit HidDevice(platform::HidBackend& backend, bool overlapped = true,
                       std::uint32_t writeTimeout_ms = kWriteTimeout_ms);
    HidDevice(const HidDevice&) = delete;
    HidDevice& operator=(const HidDevice&) = delete;

    // `access`: desired access in the top byte, share mode in the low byte. Closes a handle
    // still held first. False for a null path (an open handle then stays open) or a failed open.
    bool Open(std::uint32_t access, const wchar_t* path);
    // Opens the first interface FindHidDevices lists for these values; `versionOut` (optional)
    // receives its version number.
    bool OpenFirstMatch(std::int32_t vendorId, const std::int32_t* productIds,
                        std::int32_t productCount, std::int32_t interfaceNumber,
                        std::int32_t collectionNumber, std::uint16_t* versionOut,
                        std::uint32_t access);
    void Close();
    bool IsOpen() const;

    // Writes the 8-byte output report (cut to the interface's output report length when that is
    // shorter) within the time limit. Returns the bytes written, 0 on any failure.
    std::uint32_t Write(const std::uint8_t* report);
    // `buffer`: 8 bytes, byte 0 the wanted report ID on entry.
    bool GetFeature(std::uint8_t* buffer);
    bool SetFeature(const std::uint8_t* buffer);

    const platform::HidCaps& caps() const { return m_caps; }

private:
    bool hasHandle() const;

    platform::HidBackend& m_backend;
    bool m_overlapped;
    std::uint32_t m_writeTimeout_ms;
    platform::HidCaps m_caps;
    platform::HidHandle m_handle = platform::kNoHidHandle;
};
