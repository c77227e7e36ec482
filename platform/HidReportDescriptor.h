#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/HidBackend.h"

namespace platform {

// The top-level Application collections of a raw HID report descriptor, in descriptor order,
// each with its usage page, usage and report lengths as Windows reports them for the separate
// interface it makes of each collection (HidCaps: lengths include the report ID byte).
// Parsing stops at the first malformed item; the collections begun before it are kept.
std::vector<HidCaps> ParseTopLevelCollections(const std::uint8_t* descriptor, std::size_t size);

}  // namespace platform
