#pragma once

#include <QColor>
#include <QMargins>
#include <QPixmap>
#include <QString>
#include <QVector>

class QPainter;

namespace kg::ui {

// A picture with states: an image strip of N states side by side (or stacked), optionally
// drawn as a nine-patch frame, or a set of colours per state when no picture is wanted.
// Drawing is in logical pixels; Qt maps them to the window's device pixels.
class Skin {
public:
    enum class Kind { ImageList, ImageFrame, ColorRect };

    QString name;
    Kind kind = Kind::ImageList;
    QString source;  // the image resource, "main:xxx_png"
    QPixmap image;   // null when the image is missing: the skin then draws nothing
    int states = 1;
    bool vertical = false;
    QMargins margins;  // nine-patch corners, for ImageFrame
    bool tile = false;
    QVector<QColor> colors;  // per state, for ColorRect
    QColor border;
    int radius = 0;

    int stateCount() const { return states < 1 ? 1 : states; }
    // The size of one state in logical pixels.
    QSize size() const;
    // Draws state `state` (clamped to the strip) into `rect`.
    void draw(QPainter& p, const QRect& rect, int state, qreal opacity = 1.0) const;
    // Copies the part of one state at `source` (state-local coordinates) to `target`.
    void drawPart(QPainter& p, const QRect& target, const QRect& part, int state) const;

private:
    QRect stateRect(int state) const;
};

}  // namespace kg::ui
