// "macro.xml" edited by hand or damaged: read without crashing; what the store then holds is
// saved and read back unchanged (a file the program wrote itself always loads again, and saves
// to the same bytes).
#include <cstddef>
#include <cstdint>
#include <string>
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
    MacroStore writer;
    if (!writer.loadBuffer(bytes)) {
        return 0;
    }
    writer.groupAt(-1);
    const std::string saved = writer.saveBuffer();
    MacroStore reader;
    KG_FUZZ_CHECK(reader.loadBuffer(saved));
    // A few inputs also go through the real file (a flushed save costs milliseconds): it holds
    // the same bytes and reads back the same.
    if (fuzzThroughFile(data, size)) {
        const std::wstring& path = fuzzFreshTempFile("macro.xml");
        MacroStore fileWriter;
        fileWriter.load(path);  // no file there: only the path is taken
        KG_FUZZ_CHECK(fileWriter.loadBuffer(bytes));
        KG_FUZZ_CHECK(fileWriter.save());
        KG_FUZZ_CHECK(fuzzReadFile(path) == saved);
        MacroStore fileReader;
        KG_FUZZ_CHECK(fileReader.load(path));
        KG_FUZZ_CHECK(fileReader.saveBuffer() == saved);
    }
    KG_FUZZ_CHECK(reader.saveBuffer() == saved);
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
