#include "device/HidDeviceInfo.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/Log.h"
#include "device/HidPath.h"

namespace {

// "%04x-%02x-%02x-" and the last eight bytes as sixteen hex digits without separator.
std::string guidText(const platform::Guid& guid) {
    char text[64];
    std::snprintf(text, sizeof text, "%04x-%02x-%02x-%02x%02x%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned>(guid.data1), static_cast<unsigned>(guid.data2),
                  static_cast<unsigned>(guid.data3), guid.data4[0], guid.data4[1], guid.data4[2],
                  guid.data4[3], guid.data4[4], guid.data4[5], guid.data4[6], guid.data4[7]);
    return text;
}

bool productMatches(std::int32_t productId, const std::int32_t* productIds, std::int32_t count) {
    if (count == 0) {
        return true;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        if (productIds[i] == productId) {
            return true;
        }
    }
    return false;
}

// Wanted -1 takes any number; another negative value takes none, not even an absent field.
bool numberMatches(std::int32_t wanted, std::int32_t parsed) {
    if (wanted >= 0) {
        return parsed == wanted;
    }
    return wanted == -1;
}

void readAttributes(platform::HidBackend& backend, HidDeviceInfo& info) {
    const platform::HidHandle handle =
        backend.open(info.path, platform::kGenericRead | platform::kGenericWrite,
                     platform::kShareRead | platform::kShareWrite, true);
    kg::logLine(kg::LogArea::Device, "open dev: %08x\n", static_cast<unsigned>(handle));
    if (handle == platform::kInvalidHidHandle || handle == platform::kNoHidHandle) {
        return;
    }
    platform::HidAttributes attributes;
    if (backend.getAttributes(handle, attributes)) {
        info.versionNumber = attributes.versionNumber;
    }
    platform::HidCaps caps;
    if (backend.getCaps(handle, caps)) {
        info.usagePage = caps.usagePage;
        info.usage = caps.usage;
    }
    backend.close(handle);
}

}  // namespace

HidDeviceInfo::~HidDeviceInfo() {
    std::unique_ptr<HidDeviceInfo> rest = std::move(next);
    while (rest) {
        rest = std::move(rest->next);
    }
}

std::unique_ptr<HidDeviceInfo> FindHidDevices(platform::HidBackend& backend, std::int32_t vendorId,
                                              const std::int32_t* productIds,
                                              std::int32_t productCount,
                                              std::int32_t interfaceNumber,
                                              std::int32_t collectionNumber) {
    if (productIds == nullptr || productCount < 0) {
        productCount = 0;
    }
    if (productCount == 0 && vendorId <= 0) {
        return nullptr;
    }

    std::vector<platform::HidInterfaceEntry> interfaces;
    const bool listed = backend.enumerateInterfaces(platform::kHidInterfaceClassGuid, interfaces);
    kg::logLine(kg::LogArea::Device, "got classs: guid={%s}\n",
                guidText(platform::kHidInterfaceClassGuid).c_str());
    if (!listed) {
        return nullptr;
    }

    std::unique_ptr<HidDeviceInfo> head;
    std::unique_ptr<HidDeviceInfo>* tail = &head;
    for (const platform::HidInterfaceEntry& entry : interfaces) {
        kg::logLine(kg::LogArea::Device, "enum interface: guid={%s} index=%d\n",
                    guidText(entry.interfaceClassGuid).c_str(),
                    static_cast<int>(entry.memberIndex));
        if (entry.detail == platform::InterfaceDetail::SizeQuerySucceeded) {
            continue;
        }
        if (entry.detail == platform::InterfaceDetail::Failed) {
            kg::logLine(kg::LogArea::Device, "获取接口信息失败\n");
            continue;
        }
        HidPathIds ids;
        if (!ParseHidPath(entry.path.c_str(), &ids)) {
            continue;
        }
        if (!productMatches(ids.productId, productIds, productCount)) {
            continue;
        }
        if (vendorId > 0 && ids.vendorId != vendorId) {
            continue;
        }
        if (!numberMatches(interfaceNumber, ids.interfaceNumber) ||
            !numberMatches(collectionNumber, ids.collectionNumber)) {
            continue;
        }

        auto info = std::make_unique<HidDeviceInfo>();
        info->path = entry.path;
        info->interfaceClassGuid = entry.interfaceClassGuid;
        info->interfaceFlags = entry.flags;
        info->vendorId = ids.vendorId;
        info->productId = ids.productId;
        readAttributes(backend, *info);
        *tail = std::move(info);
        tail = &(*tail)->next;
    }
    return head;
}

std::unique_ptr<HidDeviceInfo> FindHidDevices(std::int32_t vendorId, const std::int32_t* productIds,
                                              std::int32_t productCount,
                                              std::int32_t interfaceNumber,
                                              std::int32_t collectionNumber) {
    return FindHidDevices(platform::systemHidBackend(), vendorId, productIds, productCount,
                          interfaceNumber, collectionNumber);
}
