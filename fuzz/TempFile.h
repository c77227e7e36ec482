#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

// A folder of its own under the system's temporary folder, made once per fuzzing process, for
// the targets that save what they read and read it back.
inline const std::string& fuzzTempFolder() {
    static const std::string folder = [] {
        char name[] = "/tmp/keyglow-fuzz-XXXXXX";
        const char* made = ::mkdtemp(name);
        return std::string(made != nullptr ? made : "/tmp");
    }();
    return folder;
}

// The path of `name` in that folder, with no file there (an earlier input's file is removed).
// The path is kept until the next call.
inline const std::wstring& fuzzFreshTempFile(const char* name) {
    static std::wstring path;
    const std::string narrow = fuzzTempFolder() + "/" + name;
    std::remove(narrow.c_str());
    path.assign(narrow.begin(), narrow.end());
    return path;
}

inline std::string fuzzReadFile(const std::wstring& path) {
    std::ifstream in(std::string(path.begin(), path.end()), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Whether an input also goes through a real file: one in 64, chosen by the input's bytes so
// that a finding reproduces. A save to the disk is flushed and costs milliseconds; the others
// save to memory.
inline bool fuzzThroughFile(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * 16777619u;
    }
    return hash % 64 == 0;
}
