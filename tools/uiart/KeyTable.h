#pragma once

#include <QColor>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

namespace kg::uiart {

// One key of the full-size ANSI keyboard picture. `code` is the program's key code: the
// virtual-key low byte, plus 0x100 when Windows reports the key with the extended flag.
struct Key {
    int code = 0;
    QString name;     // the macro editor's name for the code
    QString legend;   // printed on the cap (upper-left)
    QString shifted;  // printed above the legend on two-symbol keys, else empty
    QRect rect;       // the cap in picture pixels
    QColor colour;    // fill colour under the cap
};

constexpr QSize kKeyboardSize(1000, 330);
constexpr int kKeyUnit = 42;

// The 104 keys, row by row from the top, left to right.
const std::vector<Key>& keyboardKeys();

}  // namespace kg::uiart
