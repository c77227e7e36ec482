#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pugi {
class xml_document;
}

// One side-light effect's settings, two bytes as the side-light command uses them.
struct SideLightRecord {
    // Bits 4 to 7: the level (speed for side effects 0 to 2, brightness for 3 to 11).
    // Bits 0 to 3: left to the side-light command, which puts the side effect number there.
    std::uint8_t levelAndEffect = 0;
    // Bit 0 set and bits 1 to 3 cleared by resetDefaults(); not stored in the file.
    std::uint8_t flags = 0;

    int level() const { return levelAndEffect >> 4; }
    void setLevel(int level) {
        levelAndEffect = static_cast<std::uint8_t>(((level & 0x0F) << 4) | (levelAndEffect & 0x0F));
    }
};
static_assert(sizeof(SideLightRecord) == 2);

// The side-light settings, mirrored by "sidemodel.xml": one record per side effect and the side
// effect in use.
class SideLightStore {
public:
    static constexpr int kRecordCount = 12;
    static constexpr int kMaxLevel = 7;

    // The process-wide store, created on first use and never destroyed.
    static SideLightStore& instance();

    // Reads the file at `path` and remembers the path for save(). A null path changes nothing
    // and returns false. A file that cannot be opened or is not well-formed XML is replaced by
    // the defaults (resetDefaults, which writes it); load then returns false.
    bool load(const wchar_t* path);
    bool load(const std::wstring& path) { return load(path.c_str()); }
    // The same with the file's bytes in memory (the path stays as it was).
    bool loadBuffer(std::string_view bytes);

    // Writes the whole store to the path given to load(); false when the write fails.
    bool save() const;

    // The record of `index`, -1 meaning the side effect in use; nullptr outside 0..11.
    SideLightRecord* record(int index);
    const SideLightRecord* record(int index) const;

    int currentIndex() const { return m_currentIndex; }
    // Stores the index as given (no range test) and saves.
    bool setCurrentIndex(int index);

    // Level 4 for side effects 0 to 2 and 7 for the others, flags bit 0 set and bits 1 to 3
    // cleared, side effect 0 in use; saves.
    bool resetDefaults();

    const std::wstring& path() const { return m_path; }

private:
    bool read(const pugi::xml_document& doc, bool parsed);

    std::wstring m_path;
    std::array<SideLightRecord, kRecordCount> m_records{};
    int m_currentIndex = 0;
};
