// The key layout file named by the keyboard image's "crdxml": read without crashing, and the
// colour and rectangle texts of its keys parsed on their own as well.
#include <cstddef>
#include <cstdint>
#include <list>
#include <string_view>

#include "controls/KeyLayout.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::list<CoordButton> keys;
    if (!kg::loadKeyLayoutBuffer(bytes, 0x123456, keys)) {
        KG_FUZZ_CHECK(keys.empty());
    }
    kg::parseKeyColour(bytes);
    CoordButton one;
    kg::parseKeyRect(bytes, one);
    return 0;
}
