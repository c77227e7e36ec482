#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/MacroStep.h"

namespace pugi {
class xml_document;
}

// One key re-assigned in software.
struct KeyRecord {
    // The re-assigned key: low byte of the virtual-key code, plus 0x100 for extended keys.
    std::int32_t code = 0;
    std::int32_t type = 0;         // 0 macro, 1 single key, 2 media key or program, 3 combination
    std::int32_t repeat = 0;       // play count of a macro
    std::int32_t mode = 0;         // for macros: 1 stops at the next key release
    std::wstring name;             // display name of the re-assigned key
    std::wstring group;            // display name of what the key now does
    std::vector<MacroStep> steps;  // a copy taken when the record was made
};

// The key assignments, mirrored by "record.xml".
class RecordStore {
public:
    // The process-wide store, created empty on first use and never destroyed.
    static RecordStore& instance();

    // Reads the file at `path` and remembers the path for save(). A null path returns false
    // and changes nothing; a file that cannot be read or parsed returns false and leaves the
    // records as they were. Duplicate key codes in the file are all kept.
    bool load(const wchar_t* path);
    bool load(const std::wstring& path) { return load(path.c_str()); }
    // The same with the file's bytes in memory (the path stays as it was).
    bool loadBuffer(std::string_view bytes);

    // Writes the whole store to the path given to load(); false when the write fails.
    bool save() const;
    // The bytes save() writes.
    std::string saveBuffer() const;

    // Overwrites the first record with the same code in place; otherwise appends a copy and
    // saves.
    void setRecord(const KeyRecord& record);
    // Erases the first record with this code; false when there is none. Does not save.
    bool removeRecord(std::int32_t code);
    // The first record with this code, or nullptr.
    const KeyRecord* findRecord(std::int32_t code) const;

    // Empties the store and saves (the factory reset); returns the save's result.
    bool clearRecords();

    const std::vector<KeyRecord>& records() const { return m_records; }
    const std::wstring& path() const { return m_path; }

private:
    bool read(const pugi::xml_document& doc, bool parsed);
    void write(pugi::xml_document& doc) const;

    std::wstring m_path;
    std::vector<KeyRecord> m_records;
};
