#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pugi {
class xml_document;
}

// One backlight effect's settings. The lighting commands copy these four bytes as one block
// into their report, so the field order is part of the report format.
struct EffectRecord {
    std::uint8_t brightness = 0;  // 0 to 5
    std::uint8_t speed = 0;       // 0 to 2
    std::uint8_t direction = 0;   // 0 or 1; "deriction" in the file
    std::uint8_t selection = 0;   // 1 to 3, the three-way option of effect 1
};
static_assert(sizeof(EffectRecord) == 4);

// The key backlight settings, mirrored by "ledeffect.xml": one record per effect and the effect
// in use. The store is the authority while the program runs; every change is written through
// save().
class EffectStore {
public:
    static constexpr int kRecordCount = 20;
    // The effect in use after a reset and at first start; it has no record.
    static constexpr int kNoEffect = 20;
    static constexpr EffectRecord kDefaultRecord{5, 1, 0, 1};

    // The process-wide store, created on first use and never destroyed.
    static EffectStore& instance();

    // Reads the file at `path` and remembers the path for save(). A null path changes nothing
    // and returns false. A file that cannot be opened or is not well-formed XML is replaced by
    // the defaults (and written); load then returns false.
    bool load(const wchar_t* path);
    bool load(const std::wstring& path) { return load(path.c_str()); }
    // The same with the file's bytes in memory (the path stays as it was).
    bool loadBuffer(std::string_view bytes);

    // Writes the whole store to the path given to load(). False when the write fails (or load
    // never ran); memory stays as it is either way.
    bool save() const;

    // The record of `index`, -1 meaning the effect in use; nullptr when the resolved index is
    // outside 0..19.
    EffectRecord* record(int index);
    const EffectRecord* record(int index) const;

    int currentIndex() const { return m_currentIndex; }
    // Stores the index as given (no range test) and saves.
    bool setCurrentIndex(int index);

    // Every record {brightness 5, speed 1, direction 0, selection 1}, no effect in use; saves.
    bool resetDefaults();

    const std::wstring& path() const { return m_path; }

private:
    bool read(const pugi::xml_document& doc, bool parsed);

    std::wstring m_path;
    std::array<EffectRecord, kRecordCount> m_records{};
    int m_currentIndex = 0;
};
