// "record.xml" edited by hand or damaged: read without crashing; what the store then holds is
// saved and read back unchanged, and saves again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "fuzz/TempFile.h"
#include "settings/RecordStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    RecordStore writer;
    if (!writer.loadBuffer(bytes)) {
        return 0;
    }
    for (const KeyRecord& r : writer.records()) {
        KG_FUZZ_CHECK(writer.findRecord(r.code) != nullptr);
    }
    const std::string saved = writer.saveBuffer();
    RecordStore reader;
    KG_FUZZ_CHECK(reader.loadBuffer(saved));
    // A few inputs also go through the real file (a flushed save costs milliseconds): it holds
    // the same bytes and reads back the same.
    if (fuzzThroughFile(data, size)) {
        const std::wstring& path = fuzzFreshTempFile("record.xml");
        RecordStore fileWriter;
        fileWriter.load(path);  // no file there: only the path is taken
        KG_FUZZ_CHECK(fileWriter.loadBuffer(bytes));
        KG_FUZZ_CHECK(fileWriter.save());
        KG_FUZZ_CHECK(fuzzReadFile(path) == saved);
        RecordStore fileReader;
        KG_FUZZ_CHECK(fileReader.load(path));
        KG_FUZZ_CHECK(fileReader.saveBuffer() == saved);
    }
    KG_FUZZ_CHECK(reader.saveBuffer() == saved);
    KG_FUZZ_CHECK(reader.records().size() == writer.records().size());
    for (std::size_t i = 0; i < writer.records().size(); ++i) {
        const KeyRecord& a = reader.records()[i];
        const KeyRecord& b = writer.records()[i];
        KG_FUZZ_CHECK(a.code == b.code && a.type == b.type && a.repeat == b.repeat &&
                      a.mode == b.mode && a.name == b.name && a.group == b.group);
        KG_FUZZ_CHECK(a.steps.size() == b.steps.size());
        for (std::size_t j = 0; j < a.steps.size(); ++j) {
            KG_FUZZ_CHECK(
                a.steps[j].code == b.steps[j].code && a.steps[j].state == b.steps[j].state &&
                a.steps[j].delay == b.steps[j].delay && a.steps[j].name == b.steps[j].name);
        }
    }
    return 0;
}
