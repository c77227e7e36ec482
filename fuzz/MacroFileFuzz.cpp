// "macro.xml" edited by hand or damaged: read without crashing; what the store then holds is
// saved and read back unchanged (a file the program wrote itself always loads again).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "fuzz/TempFile.h"
#include "settings/MacroStore.h"

namespace {

bool sameSteps(const std::vector<MacroStep>& a, const std::vector<MacroStep>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].code != b[i].code || a[i].state != b[i].state || a[i].delay != b[i].delay ||
            a[i].name != b[i].name) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // A store that has its path (whatever the file there holds), then the fuzzed bytes.
    MacroStore writer;
    writer.load(fuzzTempFile("macro.xml"));
    if (!writer.loadBuffer(bytes)) {
        return 0;
    }
    writer.groupAt(-1);
    KG_FUZZ_CHECK(writer.save());
    MacroStore reader;
    KG_FUZZ_CHECK(reader.load(fuzzTempFile("macro.xml")));
    KG_FUZZ_CHECK(reader.groupCount() == writer.groupCount());
    for (std::size_t i = 0; i < writer.groups().size(); ++i) {
        KG_FUZZ_CHECK(reader.groups()[i].name == writer.groups()[i].name);
        KG_FUZZ_CHECK(sameSteps(reader.groups()[i].steps, writer.groups()[i].steps));
    }
    const MacroConfig& a = reader.config();
    const MacroConfig& b = writer.config();
    KG_FUZZ_CHECK(a.type == b.type && a.repeat == b.repeat && a.delay == b.delay &&
                  a.mode == b.mode && a.media == b.media && a.function == b.function &&
                  a.skcode == b.skcode && a.group == b.group && a.playmode == b.playmode);
    return 0;
}
