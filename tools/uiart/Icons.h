#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace kg::uiart {

enum class Glyph {
    Dots,
    Minimize,
    Close,
    Plus,
    Minus,
    Import,
    Export,
    ChevronUp,
    ChevronDown,
    Trash,
    Bulb,
};

// Line icons on a 24-unit grid scaled into `box`, stroked in `colour`.
void drawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const QColor& colour);

// The program's logo: a rounded key cap lit from below with the glow wave across it.
void drawLogo(QPainter& painter, const QRectF& box);

// Three overlapping light circles; `glow` from 0 (resting) to 1 (fully lit).
void drawRgbIcon(QPainter& painter, const QRectF& box, double glow);

// A key cap with a play mark and step lines; `glow` as above.
void drawMacroIcon(QPainter& painter, const QRectF& box, double glow);

}  // namespace kg::uiart
