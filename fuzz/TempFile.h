#pragma once

#include <cstdlib>
#include <string>

// One file in a folder of its own under the system's temporary folder, for the targets that
// save what they read and read it back. Made once per fuzzing process.
inline const std::wstring& fuzzTempFile(const char* name) {
    static const std::wstring path = [name] {
        char folder[] = "/tmp/keyglow-fuzz-XXXXXX";
        const char* made = ::mkdtemp(folder);
        const std::string narrow = std::string(made != nullptr ? made : "/tmp") + "/" + name;
        return std::wstring(narrow.begin(), narrow.end());
    }();
    return path;
}
