#include "platform/HidReportDescriptor.h"

#include <algorithm>
#include <array>
#include <map>

namespace platform {
namespace {

enum ItemType : std::uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };

enum MainTag : std::uint8_t {
    kInput = 0x8,
    kOutput = 0x9,
    kCollection = 0xA,
    kFeature = 0xB,
    kEndCollection = 0xC,
};

enum GlobalTag : std::uint8_t {
    kUsagePage = 0x0,
    kReportSize = 0x7,
    kReportId = 0x8,
    kReportCount = 0x9,
    kPush = 0xA,
    kPop = 0xB,
};

constexpr std::uint8_t kLocalUsage = 0x0;
constexpr std::uint32_t kApplicationCollection = 0x01;
constexpr std::size_t kMaxGlobalStack = 32;

struct GlobalState {
    std::uint32_t usagePage = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

// Bits per report ID and kind (input, output, feature) within one top-level collection.
struct CollectionReports {
    std::array<std::map<std::uint32_t, std::uint64_t>, 3> bits;
};

// Windows counts the report ID byte in every length, also for devices that use no report IDs.
std::uint16_t byteLength(const std::map<std::uint32_t, std::uint64_t>& reports) {
    std::uint64_t maxBits = 0;
    if (reports.empty()) {
        return 0;
    }
    for (const auto& [id, bits] : reports) {
        maxBits = std::max(maxBits, bits);
    }
    const std::uint64_t bytes = 1 + (maxBits + 7) / 8;
    return static_cast<std::uint16_t>(std::min<std::uint64_t>(bytes, 0xFFFF));
}

}  // namespace

std::vector<HidCaps> ParseTopLevelCollections(const std::uint8_t* descriptor, std::size_t size) {
    std::vector<HidCaps> collections;
    std::vector<CollectionReports> reports;
    if (descriptor == nullptr) {
        return collections;
    }

    GlobalState global;
    std::vector<GlobalState> globalStack;
    bool haveUsage = false;
    std::uint32_t usage = 0;
    std::uint8_t usageSize = 0;
    int depth = 0;

    std::size_t pos = 0;
    while (pos < size) {
        const std::uint8_t prefix = descriptor[pos];
        if (prefix == 0xFE) {  // long item: size, tag, data; none is defined that we need
            if (pos + 2 >= size) {
                break;
            }
            pos += 3 + descriptor[pos + 1];
            continue;
        }
        const std::size_t dataSize = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
        if (pos + 1 + dataSize > size) {
            break;
        }
        std::uint32_t data = 0;
        for (std::size_t i = 0; i < dataSize; ++i) {
            data |= static_cast<std::uint32_t>(descriptor[pos + 1 + i]) << (8 * i);
        }
        pos += 1 + dataSize;

        const auto type = static_cast<std::uint8_t>((prefix >> 2) & 0x3);
        const auto tag = static_cast<std::uint8_t>(prefix >> 4);
        bool malformed = false;

        if (type == kMain) {
            switch (tag) {
                case kCollection:
                    if (depth == 0 && (data & 0xFF) == kApplicationCollection) {
                        HidCaps caps;
                        // A four-byte usage carries its own usage page in the high half.
                        const std::uint32_t page =
                            (haveUsage && usageSize == 4) ? (usage >> 16) : global.usagePage;
                        caps.usagePage = static_cast<std::uint16_t>(page);
                        caps.usage = static_cast<std::uint16_t>(haveUsage ? usage & 0xFFFF : 0);
                        collections.push_back(caps);
                        reports.emplace_back();
                    }
                    ++depth;
                    break;
                case kEndCollection:
                    if (depth == 0) {
                        malformed = true;
                    } else {
                        --depth;
                    }
                    break;
                case kInput:
                case kOutput:
                case kFeature:
                    if (depth > 0 && !reports.empty()) {
                        const std::size_t kind = tag == kInput ? 0 : (tag == kOutput ? 1 : 2);
                        reports.back().bits[kind][global.reportId] +=
                            static_cast<std::uint64_t>(global.reportSize) * global.reportCount;
                    }
                    break;
                default:
                    break;
            }
            haveUsage = false;  // local items end with each main item
        } else if (type == kGlobal) {
            switch (tag) {
                case kUsagePage:
                    global.usagePage = data;
                    break;
                case kReportSize:
                    global.reportSize = data;
                    break;
                case kReportId:
                    global.reportId = data;
                    break;
                case kReportCount:
                    global.reportCount = data;
                    break;
                case kPush:
                    if (globalStack.size() >= kMaxGlobalStack) {
                        malformed = true;
                    } else {
                        globalStack.push_back(global);
                    }
                    break;
                case kPop:
                    if (globalStack.empty()) {
                        malformed = true;
                    } else {
                        global = globalStack.back();
                        globalStack.pop_back();
                    }
                    break;
                default:
                    break;
            }
        } else if (type == kLocal && tag == kLocalUsage) {
            // The first usage names the collection that follows.
            if (!haveUsage) {
                haveUsage = true;
                usage = data;
                usageSize = static_cast<std::uint8_t>(dataSize);
            }
        }
        if (malformed) {
            break;
        }
    }

    for (std::size_t i = 0; i < collections.size(); ++i) {
        collections[i].inputReportByteLength = byteLength(reports[i].bits[0]);
        collections[i].outputReportByteLength = byteLength(reports[i].bits[1]);
        collections[i].featureReportByteLength = byteLength(reports[i].bits[2]);
    }
    return collections;
}

}  // namespace platform
