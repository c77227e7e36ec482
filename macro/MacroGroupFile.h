#pragma once

#include <string>
#include <vector>

// Complete here: clang instantiates the default argument below at its declaration.
#include "settings/MacroStore.h"

class MacroStore;

namespace kg {

// Macro groups exchanged through a file of their own: a "macro" element holding "group"
// elements with their "item" steps, laid out as in "macro.xml" (so a "macro.xml" can be
// imported as well).

// Writes one group to `path`; false when the file cannot be written.
bool exportMacroGroup(const MacroGroup& group, const std::wstring& path);

// Reads the groups of such a file into `out`. False, with `out` untouched, when the file
// cannot be read, is not well-formed XML, or holds no "group" element inside a top-level
// "macro" element.
bool readMacroGroupFile(const std::wstring& path, std::vector<MacroGroup>& out);

// `wanted`, or when a group of the store (or of `alsoTaken`) already has that name, the first
// free "wanted (2)", "wanted (3)", ...
std::wstring uniqueGroupName(const MacroStore& store, const std::wstring& wanted,
                             const std::vector<MacroGroup>& alsoTaken = {});

// Adds the groups of the file to the store under unique names and saves. Returns the number
// of groups added; -1 (and the store unchanged, nothing saved) when the file is not such a file.
int importMacroGroupFile(MacroStore& store, const std::wstring& path);

}  // namespace kg
