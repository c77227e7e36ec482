// "ledeffect.xml" as a user or a disk may leave it: the store reads it without crashing and
// keeps every field in the range the keyboard accepts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "settings/EffectStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    EffectStore store;
    store.loadBuffer(std::string_view(reinterpret_cast<const char*>(data), size));
    KG_FUZZ_CHECK(store.currentIndex() >= 0 && store.currentIndex() <= EffectStore::kNoEffect);
    for (int i = 0; i < EffectStore::kRecordCount; ++i) {
        const EffectRecord* r = store.record(i);
        KG_FUZZ_CHECK(r != nullptr);
        KG_FUZZ_CHECK(r->brightness <= 5 && r->speed <= 2 && r->direction <= 1);
    }
    KG_FUZZ_CHECK(store.record(EffectStore::kRecordCount) == nullptr);
    return 0;
}
