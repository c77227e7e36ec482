#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <functional>
#include <vector>

namespace kg::uiart {

// The palette every picture is drawn from; tools/uiart/README.md lists it for the layouts.
namespace palette {
constexpr QRgb kWindow = 0xFF0F1218;
constexpr QRgb kTitle = 0xFF0B0E13;
constexpr QRgb kPanel = 0xFF161A22;
constexpr QRgb kPanelHead = 0xFF1A1F29;
constexpr QRgb kBorder = 0xFF262C38;
constexpr QRgb kField = 0xFF0C0F14;
constexpr QRgb kFieldBorder = 0xFF2A3140;
constexpr QRgb kControl = 0xFF1E2430;
constexpr QRgb kControlBorder = 0xFF2E3646;
constexpr QRgb kText = 0xFFE6E9EF;
constexpr QRgb kMuted = 0xFF8B93A7;
constexpr QRgb kDisabled = 0xFF4A5263;
constexpr QRgb kAccent = 0xFF35C8FF;
constexpr QRgb kAccent2 = 0xFF8E6BFF;
constexpr QRgb kChecked = 0xFFFFB547;
constexpr QRgb kDanger = 0xFFFF4D6A;
}  // namespace palette

// Button-like strips have these states side by side.
enum class ButtonState { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

struct Picture {
    QString file;  // relative to the output folder, e.g. "image/state_add.png"
    QImage image;
};
using Pictures = std::vector<Picture>;

QImage newImage(int width, int height);

// An image of `states` cells of cellWidth x cellHeight side by side; draw(painter, cell, state)
// paints one cell.
using CellPainter = std::function<void(QPainter&, const QRectF&, int)>;
QImage strip(int cellWidth, int cellHeight, int states, const CellPainter& draw);

QColor rgba(QRgb rgb, int alpha);
QColor mix(const QColor& from, const QColor& to, double t);
QPainterPath roundedPath(const QRectF& rect, double radius);
QFont uiFont(int pixelSize, bool bold);

void addPicture(Pictures& out, const QString& name, QImage image);

}  // namespace kg::uiart
