#include "tools/uiart/KeyTable.h"

#include <cmath>

namespace kg::uiart {
namespace {

constexpr int kLeft = 17;  // picture x of key column 0
constexpr int kInset = 2;  // the cap sits 2 px inside its cell, leaving 4 px between caps

// Cell tops: the function row, half a unit of space, then the five main rows.
constexpr int kRowTop[] = {38, 101, 143, 185, 227, 269};

constexpr int kExt = 0x100;

struct Row {
    int code;
    const char* name;
    const char* legend;
    const char* shifted;
    double column;  // in key units from the left edge
    int row;
    double width = 1.0;  // in key units
    int height = 1;      // in rows
};

// Names are those of the macro editor's key-name table ("‘" is U+2018 there).
const Row kRows[] = {
    {0x1B, "Esc", "Esc", "", 0, 0},
    {0x70, "F1", "F1", "", 2, 0},
    {0x71, "F2", "F2", "", 3, 0},
    {0x72, "F3", "F3", "", 4, 0},
    {0x73, "F4", "F4", "", 5, 0},
    {0x74, "F5", "F5", "", 6.5, 0},
    {0x75, "F6", "F6", "", 7.5, 0},
    {0x76, "F7", "F7", "", 8.5, 0},
    {0x77, "F8", "F8", "", 9.5, 0},
    {0x78, "F9", "F9", "", 11, 0},
    {0x79, "F10", "F10", "", 12, 0},
    {0x7A, "F11", "F11", "", 13, 0},
    {0x7B, "F12", "F12", "", 14, 0},
    {kExt + 0x2C, "PrintScreen", "PrtSc", "", 15.5, 0},
    {0x91, "ScrollLock", "ScrLk", "", 16.5, 0},
    {0x13, "Pause", "Pause", "", 17.5, 0},

    {0xC0, "~", "`", "~", 0, 1},
    {0x31, "1", "1", "!", 1, 1},
    {0x32, "2", "2", "@", 2, 1},
    {0x33, "3", "3", "#", 3, 1},
    {0x34, "4", "4", "$", 4, 1},
    {0x35, "5", "5", "%", 5, 1},
    {0x36, "6", "6", "^", 6, 1},
    {0x37, "7", "7", "&", 7, 1},
    {0x38, "8", "8", "*", 8, 1},
    {0x39, "9", "9", "(", 9, 1},
    {0x30, "0", "0", ")", 10, 1},
    {0xBD, "-", "-", "_", 11, 1},
    {0xBB, "=", "=", "+", 12, 1},
    {0x08, "Backspace", "Backspace", "", 13, 1, 2},
    {kExt + 0x2D, "Insert", "Insert", "", 15.5, 1},
    {kExt + 0x24, "Home", "Home", "", 16.5, 1},
    {kExt + 0x21, "PageUp", "PgUp", "", 17.5, 1},
    {kExt + 0x90, "NumLock", "Num", "", 19, 1},
    {kExt + 0x6F, "Pad /", "/", "", 20, 1},
    {0x6A, "Pad *", "*", "", 21, 1},
    {0x6D, "Pad -", "-", "", 22, 1},

    {0x09, "Tab", "Tab", "", 0, 2, 1.5},
    {0x51, "Q", "Q", "", 1.5, 2},
    {0x57, "W", "W", "", 2.5, 2},
    {0x45, "E", "E", "", 3.5, 2},
    {0x52, "R", "R", "", 4.5, 2},
    {0x54, "T", "T", "", 5.5, 2},
    {0x59, "Y", "Y", "", 6.5, 2},
    {0x55, "U", "U", "", 7.5, 2},
    {0x49, "I", "I", "", 8.5, 2},
    {0x4F, "O", "O", "", 9.5, 2},
    {0x50, "P", "P", "", 10.5, 2},
    {0xDB, "[", "[", "{", 11.5, 2},
    {0xDD, "]", "]", "}", 12.5, 2},
    {0xDC, "\\", "\\", "|", 13.5, 2, 1.5},
    {kExt + 0x2E, "Delete", "Delete", "", 15.5, 2},
    {kExt + 0x23, "End", "End", "", 16.5, 2},
    {kExt + 0x22, "PageDown", "PgDn", "", 17.5, 2},
    {0x67, "Pad 7", "7", "", 19, 2},
    {0x68, "Pad 8", "8", "", 20, 2},
    {0x69, "Pad 9", "9", "", 21, 2},
    {0x6B, "Pad +", "+", "", 22, 2, 1, 2},

    {0x14, "CapsLock", "Caps", "", 0, 3, 1.75},
    {0x41, "A", "A", "", 1.75, 3},
    {0x53, "S", "S", "", 2.75, 3},
    {0x44, "D", "D", "", 3.75, 3},
    {0x46, "F", "F", "", 4.75, 3},
    {0x47, "G", "G", "", 5.75, 3},
    {0x48, "H", "H", "", 6.75, 3},
    {0x4A, "J", "J", "", 7.75, 3},
    {0x4B, "K", "K", "", 8.75, 3},
    {0x4C, "L", "L", "", 9.75, 3},
    {0xBA, ";", ";", ":", 10.75, 3},
    {0xDE, "\xE2\x80\x98", "'", "\"", 11.75, 3},
    {0x0D, "Enter", "Enter", "", 12.75, 3, 2.25},
    {0x64, "Pad 4", "4", "", 19, 3},
    {0x65, "Pad 5", "5", "", 20, 3},
    {0x66, "Pad 6", "6", "", 21, 3},

    {0xA0, "ShiftLeft", "Shift", "", 0, 4, 2.25},
    {0x5A, "Z", "Z", "", 2.25, 4},
    {0x58, "X", "X", "", 3.25, 4},
    {0x43, "C", "C", "", 4.25, 4},
    {0x56, "V", "V", "", 5.25, 4},
    {0x42, "B", "B", "", 6.25, 4},
    {0x4E, "N", "N", "", 7.25, 4},
    {0x4D, "M", "M", "", 8.25, 4},
    {0xBC, ",", ",", "<", 9.25, 4},
    {0xBE, ".", ".", ">", 10.25, 4},
    {0xBF, "/", "/", "?", 11.25, 4},
    {0xA1, "ShiftRight", "Shift", "", 12.25, 4, 2.75},
    {kExt + 0x26, "ArrowUp", "\xE2\x86\x91", "", 16.5, 4},
    {0x61, "Pad 1", "1", "", 19, 4},
    {0x62, "Pad 2", "2", "", 20, 4},
    {0x63, "Pad 3", "3", "", 21, 4},
    {kExt + 0x0D, "Pad Enter", "Enter", "", 22, 4, 1, 2},

    {0xA2, "CtrlLeft", "Ctrl", "", 0, 5, 1.25},
    {kExt + 0x5B, "WinLeft", "Win", "", 1.25, 5, 1.25},
    {0xA4, "AltLeft", "Alt", "", 2.5, 5, 1.25},
    {0x20, "SpaceBar", "", "", 3.75, 5, 6.25},
    {kExt + 0xA5, "AltRight", "Alt", "", 10, 5, 1.25},
    {kExt + 0x5C, "WinRight", "Win", "", 11.25, 5, 1.25},
    {kExt + 0x5D, "App", "Menu", "", 12.5, 5, 1.25},
    {kExt + 0xA3, "CtrlRight", "Ctrl", "", 13.75, 5, 1.25},
    {kExt + 0x25, "ArrowLeft", "\xE2\x86\x90", "", 15.5, 5},
    {kExt + 0x28, "ArrowDown", "\xE2\x86\x93", "", 16.5, 5},
    {kExt + 0x27, "ArrowRight", "\xE2\x86\x92", "", 17.5, 5},
    {0x60, "Pad 0", "0", "", 19, 5, 2},
    {0x6E, "Pad .", ".", "", 21, 5},
};

int columnX(double column) {
    return kLeft + static_cast<int>(std::lround(column * kKeyUnit));
}

// The caps glow from cyan on the left through blue and violet to pink on the right, the
// way the keyboard's default rainbow wave looks when it is caught mid-sweep.
QColor capColour(const QRect& rect) {
    const double across = rect.center().x() / static_cast<double>(kKeyboardSize.width());
    const double down = rect.center().y() / static_cast<double>(kKeyboardSize.height());
    const double hue = 188.0 + 128.0 * across + 10.0 * down;
    return QColor::fromHsvF(static_cast<float>(hue / 360.0), 0.66f,
                            static_cast<float>(0.93 - 0.08 * down));
}

std::vector<Key> buildKeys() {
    std::vector<Key> keys;
    for (const Row& row : kRows) {
        const int left = columnX(row.column);
        const int right = columnX(row.column + row.width);
        const int top = kRowTop[row.row];
        const int bottom = top + row.height * kKeyUnit;
        Key key;
        key.code = row.code;
        key.name = QString::fromUtf8(row.name);
        key.legend = QString::fromUtf8(row.legend);
        key.shifted = QString::fromUtf8(row.shifted);
        key.rect = QRect(QPoint(left + kInset, top + kInset),
                         QPoint(right - kInset - 1, bottom - kInset - 1));
        key.colour = capColour(key.rect);
        keys.push_back(key);
    }
    return keys;
}

}  // namespace

const std::vector<Key>& keyboardKeys() {
    static const std::vector<Key> keys = buildKeys();
    return keys;
}

}  // namespace kg::uiart
