#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/MacroStep.h"

namespace pugi {
class xml_document;
}

struct MacroGroup {
    std::wstring name;  // need not be unique
    std::vector<MacroStep> steps;

    // Step edits of the editor; none of them saves.
    void addStep(std::int32_t code, std::int32_t state, std::int32_t delay, std::wstring name);
    // Swaps steps i-1 and i when 0 < i < step count.
    bool moveStepUp(int i);
    // Swaps steps i and i+1 when 0 <= i and i+1 < step count.
    bool moveStepDown(int i);
    // Erases step i when 0 <= i < step count; returns whether it did.
    bool deleteStep(int i);
    void clearSteps();
};

// The macro editor's settings.
struct MacroConfig {
    std::int32_t type = 0;    // editor page: 0 macro, 1 single key, 2 media/program, 3 combination
    std::int32_t repeat = 1;  // play count of a macro assignment
    std::int32_t delay = 10;  // fixed delay of delay mode 1, milliseconds
    std::int32_t mode = 0;    // delay mode of recording: 0 real time, 1 fixed, 2 none
    std::int32_t media = 0;   // position in AppConfig::mediaKeys
    std::int32_t function = 0;   // position in AppConfig::keyCombos
    std::int32_t skcode = 0;     // virtual-key code of the single-key page; 0 none
    std::int32_t group = 0;      // index of the selected group
    std::int32_t recording = 0;  // the record check box; never in the file
    std::int32_t playmode = 0;   // 1: macros assigned from now on stop at the next key release
};

// The editor's settings and the user's macro groups, mirrored by "macro.xml".
class MacroStore {
public:
    // The process-wide store, created with the defaults on first use and never destroyed.
    static MacroStore& instance();

    // Reads the file at `path` and remembers the path for save(). A null path returns false
    // and changes nothing; a file that cannot be read or parsed returns false and leaves
    // settings and groups as they were.
    bool load(const wchar_t* path);
    bool load(const std::wstring& path) { return load(path.c_str()); }
    // The same with the file's bytes in memory (the path stays as it was).
    bool loadBuffer(std::string_view bytes);

    // Writes the whole store to the path given to load(); false when the write fails.
    bool save() const;
    // The bytes save() writes.
    std::string saveBuffer() const;

    // The editor defaults, except playmode; groups and path stay; does not save.
    void resetConfig();

    MacroConfig& config() { return m_config; }
    const MacroConfig& config() const { return m_config; }

    int groupCount() const { return static_cast<int>(m_groups.size()); }
    // A negative index means the selected group (config().group); nullptr when the resolved
    // index is outside the list.
    MacroGroup* groupAt(int index);
    const MacroGroup* groupAt(int index) const;
    const std::vector<MacroGroup>& groups() const { return m_groups; }

    // Appends a group named "Group n" (n the group count, raised until the name is unused)
    // and saves; returns the save's result.
    bool addGroup();
    // Erases the group and saves when the index is in the list; returns whether it erased.
    bool deleteGroup(int index);
    // Stores a new name and saves when the index is in the list and the name differs.
    bool renameGroup(int index, const std::wstring& name);
    // Appends groups as they are (an import) and saves once; returns the save's result.
    bool appendGroups(std::vector<MacroGroup> groups);

    const std::wstring& path() const { return m_path; }

private:
    bool read(const pugi::xml_document& doc, bool parsed);
    void write(pugi::xml_document& doc) const;

    MacroConfig m_config;
    std::wstring m_path;
    std::vector<MacroGroup> m_groups;
};
