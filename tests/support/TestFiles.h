#pragma once

// Temporary folders, file contents and bad input for the store tests. Header-only and portable:
// the same tests run natively and, cross-built, under Wine.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kgtest {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::random_device rd;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::ostringstream name;
            name << "keyglow-test-" << std::hex << rd() << rd();
            std::error_code ec;
            if (std::filesystem::create_directory(base / name.str(), ec)) {
                m_path = base / name.str();
                return;
            }
        }
    }
    ~TempFolder() {
        std::error_code ec;
        if (!m_path.empty()) {
            std::filesystem::remove_all(m_path, ec);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Names in tests are ASCII, so the wide form is the same on every system.
    std::filesystem::path file(std::string_view name) const { return m_path / std::string(name); }
    std::wstring wfile(std::string_view name) const { return file(name).wstring(); }

private:
    std::filesystem::path m_path;
};

inline bool exists(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::exists(p, ec);
}

inline std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::filesystem::path testData(std::string_view relative) {
    return std::filesystem::path(KEYGLOW_TEST_DATA_DIR) / std::string(relative);
}

inline std::string readTestData(std::string_view relative) {
    return readFile(testData(relative));
}

struct BadInput {
    std::string name;
    std::string bytes;
};

inline std::string utf16le(std::string_view ascii, bool bom) {
    std::string out;
    if (bom) {
        out += "\xFF\xFE";
    }
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

// Damaged and odd versions of a valid settings file: what a disk, an editor or a stranger can
// leave behind. Seeded, so a failure repeats.
inline std::vector<BadInput> badInputs(const std::string& valid) {
    std::vector<BadInput> inputs;
    inputs.push_back({"empty", ""});
    for (std::size_t cut :
         {std::size_t{1}, std::size_t{10}, valid.size() / 3, valid.size() / 2, valid.size() - 2}) {
        if (cut < valid.size()) {
            inputs.push_back({"truncated_at_" + std::to_string(cut), valid.substr(0, cut)});
        }
    }
    std::mt19937 rng(20261210u);
    for (int n = 0; n < 4; ++n) {
        std::string junk(64u << n, '\0');
        for (char& c : junk) {
            c = static_cast<char>(rng() & 0xFF);
        }
        inputs.push_back({"random_bytes_" + std::to_string(junk.size()), junk});
    }
    std::string flipped = valid;
    for (std::size_t i = 0; i < flipped.size(); i += 7) {
        flipped[i] = static_cast<char>(flipped[i] ^ (1 << (rng() % 8)));
    }
    inputs.push_back({"bit_flips", flipped});
    inputs.push_back({"utf16le_with_bom", utf16le(valid, true)});
    inputs.push_back({"utf16le_without_bom", utf16le(valid, false)});
    inputs.push_back({"utf8_bom", "\xEF\xBB\xBF" + valid});
    std::string latin1 = valid;
    const std::size_t quote = latin1.find("=\"");
    if (quote != std::string::npos) {
        latin1.insert(quote + 2, "\xE9\xE8\xFF");
    }
    inputs.push_back({"latin1_bytes_in_attribute", latin1});
    std::string nul = "<effect sel=\"1\">";
    nul.push_back('\0');
    nul += "<item/>";
    nul.push_back('\0');
    nul += "</effect>";
    inputs.push_back({"nul_bytes", nul});
    std::string deep;
    for (int i = 0; i < 20000; ++i) {
        deep += "<a>";
    }
    for (int i = 0; i < 20000; ++i) {
        deep += "</a>";
    }
    inputs.push_back({"deep_nesting", deep});
    inputs.push_back({"unclosed_deep_nesting", deep.substr(0, deep.size() / 2)});
    inputs.push_back({"huge_attribute", "<effect sel=\"" + std::string(1 << 20, '9') + "\"/>"});
    return inputs;
}

}  // namespace kgtest
