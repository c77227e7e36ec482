#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/HidBackend.h"

// One interface found by FindHidDevices; the list is singly linked in enumeration order and the
// caller owns all of it through the head.
struct HidDeviceInfo {
    std::unique_ptr<HidDeviceInfo> next;
    std::wstring path;
    platform::Guid interfaceClassGuid;
    std::uint32_t interfaceFlags = 0;
    std::int32_t vendorId = 0;
    std::int32_t productId = 0;
    std::uint16_t versionNumber = 0;  // 0 when the interface could not be opened
    std::uint16_t usagePage = 0;      // 0 when the capabilities could not be read
    std::uint16_t usage = 0;

    HidDeviceInfo() = default;
    HidDeviceInfo(const HidDeviceInfo&) = delete;
    HidDeviceInfo& operator=(const HidDeviceInfo&) = delete;
    ~HidDeviceInfo();  // releases the rest of the list without recursion
};

// Lists the present HID interfaces whose paths match. vendorId <= 0: any vendor. productIds
// with productCount entries (null or a count <= 0: any product); a search needs a vendor or at
// least one product, otherwise the result is null at once. interfaceNumber and collectionNumber:
// -1 any, another negative value none, otherwise the number the path must carry. Each match is
// opened once to read its version, usage page and usage. Null when nothing matches.
std::unique_ptr<HidDeviceInfo> FindHidDevices(platform::HidBackend& backend, std::int32_t vendorId,
                                              const std::int32_t* productIds,
                                              std::int32_t productCount,
                                              std::int32_t interfaceNumber,
                                              std::int32_t collectionNumber);

// The same over the system's HID stack.
std::unique_ptr<HidDeviceInfo> FindHidDevices(std::int32_t vendorId, const std::int32_t* productIds,
                                              std::int32_t productCount,
                                              std::int32_t interfaceNumber,
                                              std::int32_t collectionNumber);
