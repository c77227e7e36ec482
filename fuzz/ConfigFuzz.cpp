// "config.xml" comes with the installation but is a file anyone can edit: read without crashing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "settings/AppConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AppConfig config;
    const bool parsed =
        config.loadBuffer(std::string_view(reinterpret_cast<const char*>(data), size));
    KG_FUZZ_CHECK(parsed || (config.mediaKeys.empty() && config.keyCombos.empty()));
    KG_FUZZ_CHECK(config.useChinese == 0 || config.useChinese == 1);
    return 0;
}
