// Report descriptors come from whatever device is plugged in: parsed without crashing or
// reading past the end, and never more collections than the descriptor has items.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "platform/HidReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the given size, so that reading one byte beyond is caught.
    const std::vector<std::uint8_t> descriptor(data, data + size);
    const std::vector<platform::HidCaps> collections =
        platform::ParseTopLevelCollections(descriptor.data(), descriptor.size());
    KG_FUZZ_CHECK(collections.size() <= size / 2);
    return 0;
}
