#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <string_view>

// One key of the keyboard image: where it is in the picture and what it is called.
struct CoordButton {
    int id = -1;  // the key code; -1 when the layout gives none
    int va = -1;  // the plain virtual-key code of the layout; kept, not used
    std::wstring name;
    // Control coordinates; right and bottom are exclusive.
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    std::uint32_t colour = 0xFFFFFF;
    std::wstring tip;  // empty: the name is the tooltip
    int checked = 0;
    int hover = 0;
    int pressed = 0;

    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

namespace kg {

// The fill colour of a key: hexadecimal digits, with spaces and '#' anywhere ignored
// ("#FF 80 00", "FF8000" and "#ff8000" are the same). Text that does not start with a
// hexadecimal digit after that gives 0xFFFFFF. The value is 0xRRGGBB; the top byte is not
// an alpha channel (a key fill is always opaque).
std::uint32_t parseKeyColour(std::string_view text);

// "left, top, width, height" (spaces ignored; missing or unreadable numbers are 0) into the
// key's left, top, right and bottom.
void parseKeyRect(std::string_view text, CoordButton& key);

// Reads a key layout file: root "positions", one child element per key in document order,
// whatever its name. Keys without a "color" get `defaultColour`. False, and no keys, when the
// file cannot be read or parsed or has no "positions" element.
bool loadKeyLayout(const std::wstring& path, std::uint32_t defaultColour,
                   std::list<CoordButton>& keys);
// The same with the file's bytes in memory.
bool loadKeyLayoutBuffer(std::string_view bytes, std::uint32_t defaultColour,
                         std::list<CoordButton>& keys);

// The file behind a "crdxml" value, which is always relative to the program folder. Either
// separator may be used in it ("uires\\keyboard.xml" works on Linux as well).
std::wstring keyLayoutPath(const std::wstring& programFolder, const std::wstring& relative);

}  // namespace kg
