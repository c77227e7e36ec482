// "sidemodel.xml": read without crashing, every level 0 to 7, the index 0 to 12.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "settings/SideLightStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SideLightStore store;
    store.loadBuffer(std::string_view(reinterpret_cast<const char*>(data), size));
    KG_FUZZ_CHECK(store.currentIndex() >= 0 &&
                  store.currentIndex() <= SideLightStore::kRecordCount);
    for (int i = 0; i < SideLightStore::kRecordCount; ++i) {
        const SideLightRecord* r = store.record(i);
        KG_FUZZ_CHECK(r != nullptr);
        KG_FUZZ_CHECK(r->level() <= 7);
    }
    return 0;
}
