#include "controls/KeyLayout.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include <pugixml.hpp>

#include "common/NumberText.h"
#include "common/Utf.h"
#include "platform/ProgramFolder.h"

namespace kg {

namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int clampToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

}  // namespace

std::uint32_t parseKeyColour(std::string_view text) {
    std::string digits;
    digits.reserve(text.size());
    for (char c : text) {
        if (c != ' ' && c != '#') {
            digits.push_back(c);
        }
    }
    if (digits.empty() || !isHexDigit(digits.front())) {
        return 0xFFFFFF;
    }
    return parseHex32(digits);
}

void parseKeyRect(std::string_view text, CoordButton& key) {
    std::string compact;
    compact.reserve(text.size());
    for (char c : text) {
        if (c != ' ') {
            compact.push_back(c);
        }
    }
    std::int64_t n[4] = {0, 0, 0, 0};
    std::string_view rest = compact;
    for (int i = 0; i < 4 && !rest.empty(); ++i) {
        const size_t comma = rest.find(',');
        n[i] = parseAtol(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    key.left = static_cast<int>(n[0]);
    key.top = static_cast<int>(n[1]);
    // A huge width must not wrap the right edge round to the left of the key.
    key.right = clampToInt(n[0] + n[2]);
    key.bottom = clampToInt(n[1] + n[3]);
}

namespace {

bool readKeyLayout(const pugi::xml_document& doc, std::uint32_t defaultColour,
                   std::list<CoordButton>& keys) {
    const pugi::xml_node root = doc.child("positions");
    if (!root) {
        return false;
    }
    for (pugi::xml_node node = root.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element) {
            continue;
        }
        CoordButton key;
        if (const pugi::xml_attribute a = node.attribute("id")) {
            key.id = parseAtol(a.value());
        }
        if (const pugi::xml_attribute a = node.attribute("va")) {
            key.va = parseAtol(a.value());
        }
        key.name = fromUtf8(node.attribute("name").value());
        const pugi::xml_attribute colour = node.attribute("color");
        key.colour = colour ? parseKeyColour(colour.value()) : defaultColour;
        if (const pugi::xml_attribute a = node.attribute("rect")) {
            parseKeyRect(a.value(), key);
        }
        keys.push_back(std::move(key));
    }
    return true;
}

}  // namespace

bool loadKeyLayout(const std::wstring& path, std::uint32_t defaultColour,
                   std::list<CoordButton>& keys) {
    keys.clear();
    pugi::xml_document doc;
    return doc.load_file(path.c_str()) && readKeyLayout(doc, defaultColour, keys);
}

bool loadKeyLayoutBuffer(std::string_view bytes, std::uint32_t defaultColour,
                         std::list<CoordButton>& keys) {
    keys.clear();
    pugi::xml_document doc;
    return doc.load_buffer(bytes.data(), bytes.size()) && readKeyLayout(doc, defaultColour, keys);
}

std::wstring keyLayoutPath(const std::wstring& programFolder, const std::wstring& relative) {
    std::wstring path = programFolder;
    if (relative.empty() || (relative.front() != L'\\' && relative.front() != L'/')) {
        path.push_back(L'\\');
    }
    path.append(relative);
    const wchar_t sep = platform::pathSeparator();
    std::replace_if(
        path.begin(), path.end(), [](wchar_t c) { return c == L'\\' || c == L'/'; }, sep);
    return path;
}

}  // namespace kg
