#include "tools/uiart/WidgetArt.h"

#include "tools/uiart/Icons.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace kg::uiart {
namespace {

constexpr int kButtonStates = 4;
constexpr int kCheckStates = 4;  // normal, hover, pressed, checked

QColor glyphColour(int state) {
    switch (static_cast<ButtonState>(state)) {
        case ButtonState::Hover:
            return QColor::fromRgb(0xFFFFFF);
        case ButtonState::Pressed:
            return QColor::fromRgb(palette::kAccent);
        case ButtonState::Disabled:
            return QColor::fromRgb(palette::kDisabled);
        case ButtonState::Normal:
            break;
    }
    return QColor(0xC3, 0xCA, 0xD7);
}

// A square icon button: no frame at rest, a soft round plate under the mouse.
QImage iconButton(int size, Glyph glyph, QRgb hoverPlate = 0xFFFFFF, int hoverAlpha = 22) {
    return strip(size, size, kButtonStates, [=](QPainter& p, const QRectF& cell, int state) {
        const QRectF plate = cell.adjusted(1, 1, -1, -1);
        p.setPen(Qt::NoPen);
        if (state == static_cast<int>(ButtonState::Hover)) {
            p.setBrush(rgba(hoverPlate, hoverAlpha));
            p.drawPath(roundedPath(plate, 7));
        } else if (state == static_cast<int>(ButtonState::Pressed)) {
            p.setBrush(rgba(0x000000, 90));
            p.drawPath(roundedPath(plate, 7));
        }
        QColor colour = glyphColour(state);
        if (hoverPlate != 0xFFFFFF && state == static_cast<int>(ButtonState::Hover)) {
            colour = Qt::white;
        }
        const double inset = size * 0.18;
        drawGlyph(p, glyph, cell.adjusted(inset, inset, -inset, -inset), colour);
    });
}

// A framed tool button of the macro editor (28 x 28).
QImage toolButton(Glyph glyph) {
    return strip(28, 28, kButtonStates, [=](QPainter& p, const QRectF& cell, int state) {
        const QRectF plate = cell.adjusted(0.5, 0.5, -0.5, -0.5);
        QColor fill = QColor::fromRgb(palette::kControl);
        QColor border = QColor::fromRgb(palette::kControlBorder);
        switch (static_cast<ButtonState>(state)) {
            case ButtonState::Hover:
                fill = QColor(0x26, 0x2E, 0x3C);
                border = rgba(palette::kAccent, 150);
                break;
            case ButtonState::Pressed:
                fill = QColor(0x14, 0x19, 0x21);
                border = QColor::fromRgb(palette::kAccent);
                break;
            case ButtonState::Disabled:
                fill = QColor(0x17, 0x1B, 0x22);
                border = QColor(0x20, 0x25, 0x2F);
                break;
            case ButtonState::Normal:
                break;
        }
        p.setPen(QPen(border, 1));
        p.setBrush(fill);
        p.drawPath(roundedPath(plate, 6));
        drawGlyph(p, glyph, cell.adjusted(5, 5, -5, -5), glyphColour(state));
    });
}

// A text button background: `primary` is filled with the accent gradient.
QImage textButton(int width, int height, bool primary) {
    return strip(width, height, kButtonStates, [=](QPainter& p, const QRectF& cell, int state) {
        const QRectF plate = cell.adjusted(0.5, 0.5, -0.5, -0.5);
        const auto s = static_cast<ButtonState>(state);
        if (primary) {
            QLinearGradient fill(plate.topLeft(), plate.topRight());
            QColor a = QColor::fromRgb(palette::kAccent);
            QColor b = QColor::fromRgb(palette::kAccent2);
            if (s == ButtonState::Hover) {
                a = mix(a, Qt::white, 0.18);
                b = mix(b, Qt::white, 0.18);
            } else if (s == ButtonState::Pressed) {
                a = mix(a, Qt::black, 0.22);
                b = mix(b, Qt::black, 0.22);
            } else if (s == ButtonState::Disabled) {
                a = QColor(0x24, 0x2A, 0x35);
                b = QColor(0x24, 0x2A, 0x35);
            }
            fill.setColorAt(0, a);
            fill.setColorAt(1, b);
            p.setPen(Qt::NoPen);
            p.setBrush(fill);
            p.drawPath(roundedPath(plate, 7));
            if (s != ButtonState::Disabled && s != ButtonState::Pressed) {
                p.setPen(QPen(rgba(0xFFFFFF, 60), 1));
                p.drawLine(QPointF(plate.left() + 7, plate.top() + 1),
                           QPointF(plate.right() - 7, plate.top() + 1));
            }
            return;
        }
        QColor fill = QColor::fromRgb(palette::kControl);
        QColor border = QColor::fromRgb(palette::kControlBorder);
        if (s == ButtonState::Hover) {
            fill = QColor(0x27, 0x2F, 0x3D);
            border = rgba(palette::kAccent, 160);
        } else if (s == ButtonState::Pressed) {
            fill = QColor(0x14, 0x19, 0x21);
            border = QColor::fromRgb(palette::kAccent);
        } else if (s == ButtonState::Disabled) {
            fill = QColor(0x17, 0x1B, 0x22);
            border = QColor(0x20, 0x25, 0x2F);
        }
        p.setPen(QPen(border, 1));
        p.setBrush(fill);
        p.drawPath(roundedPath(plate, 7));
    });
}

QImage comboFrame() {
    return strip(200, 32, kButtonStates, [](QPainter& p, const QRectF& cell, int state) {
        const QRectF plate = cell.adjusted(0.5, 0.5, -0.5, -0.5);
        QColor fill = QColor::fromRgb(palette::kField);
        QColor border = QColor::fromRgb(palette::kFieldBorder);
        const auto s = static_cast<ButtonState>(state);
        if (s == ButtonState::Hover) {
            border = QColor(0x3C, 0x47, 0x5A);
        } else if (s == ButtonState::Pressed) {
            border = QColor::fromRgb(palette::kAccent);
        } else if (s == ButtonState::Disabled) {
            fill = QColor(0x12, 0x15, 0x1B);
            border = QColor(0x1E, 0x23, 0x2C);
        }
        p.setPen(QPen(border, 1));
        p.setBrush(fill);
        p.drawPath(roundedPath(plate, 6));
        if (s == ButtonState::Pressed) {
            p.setPen(QPen(rgba(palette::kAccent, 50), 3));
            p.setBrush(Qt::NoBrush);
            p.drawPath(roundedPath(plate.adjusted(1.5, 1.5, -1.5, -1.5), 5));
        }
    });
}

QImage radioDot() {
    return strip(18, 18, kCheckStates, [](QPainter& p, const QRectF& cell, int state) {
        const QPointF c = cell.center();
        const bool checked = state == 3;
        QColor ring = QColor(0x3A, 0x43, 0x54);
        if (state == 1) {
            ring = rgba(palette::kAccent, 170);
        } else if (state == 2 || checked) {
            ring = QColor::fromRgb(palette::kAccent);
        }
        if (checked) {
            QRadialGradient halo(c, 9);
            halo.setColorAt(0.6, rgba(palette::kAccent, 70));
            halo.setColorAt(1, rgba(palette::kAccent, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(halo);
            p.drawEllipse(c, 9, 9);
        }
        p.setPen(QPen(ring, 1.5));
        p.setBrush(state == 2 ? QColor(0x10, 0x2A, 0x38) : QColor::fromRgb(palette::kField));
        p.drawEllipse(c, 7, 7);
        if (checked) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor::fromRgb(palette::kAccent));
            p.drawEllipse(c, 3.6, 3.6);
        }
    });
}

QImage recordToggle() {
    return strip(28, 28, kCheckStates, [](QPainter& p, const QRectF& cell, int state) {
        const QPointF c = cell.center();
        const bool on = state == 3;
        if (on) {
            QRadialGradient halo(c, 14);
            halo.setColorAt(0.45, rgba(palette::kDanger, 120));
            halo.setColorAt(1, rgba(palette::kDanger, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(halo);
            p.drawEllipse(c, 14, 14);
        }
        QColor ring = QColor(0x4A, 0x53, 0x66);
        QColor dot = QColor(0xB0, 0x3A, 0x4E);
        if (state == 1) {
            ring = QColor(0x6A, 0x74, 0x88);
            dot = QColor::fromRgb(palette::kDanger);
        } else if (state == 2) {
            ring = QColor::fromRgb(palette::kDanger);
            dot = QColor(0x99, 0x2A, 0x3C);
        } else if (on) {
            ring = QColor::fromRgb(palette::kDanger);
            dot = QColor::fromRgb(palette::kDanger);
        }
        p.setPen(QPen(ring, 1.6));
        p.setBrush(QColor::fromRgb(palette::kField));
        p.drawEllipse(c, 10.5, 10.5);
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        if (on) {
            p.drawPath(roundedPath(QRectF(c.x() - 4.5, c.y() - 4.5, 9, 9), 2));
        } else {
            p.drawEllipse(c, 5, 5);
        }
    });
}

QImage captureToggle() {
    return strip(28, 28, kCheckStates, [](QPainter& p, const QRectF& cell, int state) {
        const QPointF c = cell.center();
        const bool on = state == 3;
        QColor colour = QColor(0x8B, 0x93, 0xA7);
        if (state == 1) {
            colour = Qt::white;
        } else if (state == 2 || on) {
            colour = QColor::fromRgb(palette::kAccent);
        }
        if (on) {
            QRadialGradient halo(c, 14);
            halo.setColorAt(0.4, rgba(palette::kAccent, 90));
            halo.setColorAt(1, rgba(palette::kAccent, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(halo);
            p.drawEllipse(c, 14, 14);
        }
        // A key cap inside capture brackets.
        QPen pen(colour, 1.6);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const QRectF r = cell.adjusted(4, 4, -4, -4);
        const double arm = 5;
        p.drawLine(r.topLeft(), r.topLeft() + QPointF(arm, 0));
        p.drawLine(r.topLeft(), r.topLeft() + QPointF(0, arm));
        p.drawLine(r.topRight(), r.topRight() + QPointF(-arm, 0));
        p.drawLine(r.topRight(), r.topRight() + QPointF(0, arm));
        p.drawLine(r.bottomLeft(), r.bottomLeft() + QPointF(arm, 0));
        p.drawLine(r.bottomLeft(), r.bottomLeft() + QPointF(0, -arm));
        p.drawLine(r.bottomRight(), r.bottomRight() + QPointF(-arm, 0));
        p.drawLine(r.bottomRight(), r.bottomRight() + QPointF(0, -arm));
        p.setBrush(on ? QColor::fromRgb(palette::kAccent) : QColor(0, 0, 0, 0));
        p.drawPath(roundedPath(QRectF(c.x() - 5, c.y() - 5, 10, 10), 2.5));
    });
}

QImage sliderThumb() {
    return strip(18, 18, kButtonStates, [](QPainter& p, const QRectF& cell, int state) {
        const QPointF c = cell.center();
        const auto s = static_cast<ButtonState>(state);
        if (s == ButtonState::Hover || s == ButtonState::Pressed) {
            QRadialGradient halo(c, 9);
            halo.setColorAt(0.5, rgba(palette::kAccent, s == ButtonState::Pressed ? 120 : 80));
            halo.setColorAt(1, rgba(palette::kAccent, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(halo);
            p.drawEllipse(c, 9, 9);
        }
        const bool disabled = s == ButtonState::Disabled;
        p.setPen(QPen(disabled ? QColor(0x3A, 0x42, 0x50) : QColor::fromRgb(palette::kAccent), 2));
        p.setBrush(disabled ? QColor(0x2A, 0x30, 0x3B) : QColor(0xF4, 0xF7, 0xFB));
        p.drawEllipse(c, s == ButtonState::Pressed ? 5.5 : 6.2,
                      s == ButtonState::Pressed ? 5.5 : 6.2);
    });
}

QImage panel(int width, int height, QRgb fill, QRgb border, double radius) {
    QImage image = newImage(width, height);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor::fromRgb(border), 1));
    p.setBrush(QColor::fromRgb(fill));
    p.drawPath(roundedPath(QRectF(0.5, 0.5, width - 1, height - 1), radius));
    return image;
}

QImage sunkenField() {
    QImage image = panel(64, 36, palette::kField, palette::kFieldBorder, 6);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shadow(0, 1, 0, 6);
    shadow.setColorAt(0, rgba(0x000000, 110));
    shadow.setColorAt(1, rgba(0x000000, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawPath(roundedPath(QRectF(1.5, 1.5, 61, 10), 5));
    return image;
}

QImage dialogFrame() {
    QImage image = newImage(96, 96);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(0.5, 0.5, 95, 95);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x13, 0x17, 0x20));
    p.drawPath(roundedPath(frame, 10));
    p.save();
    p.setClipRect(QRectF(0, 0, 96, 40));
    p.setBrush(QColor::fromRgb(palette::kTitle));
    p.drawPath(roundedPath(frame, 10));
    p.restore();
    p.setPen(QPen(QColor::fromRgb(palette::kBorder), 1));
    p.drawLine(QPointF(1, 40.5), QPointF(95, 40.5));
    QLinearGradient accent(0, 0, 96, 0);
    accent.setColorAt(0, QColor::fromRgb(palette::kAccent));
    accent.setColorAt(1, QColor::fromRgb(palette::kAccent2));
    p.setPen(QPen(QBrush(accent), 1));
    p.drawLine(QPointF(10, 0.5), QPointF(86, 0.5));
    p.setPen(QPen(QColor::fromRgb(palette::kControlBorder), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(roundedPath(frame, 10));
    return image;
}

QImage tabHead() {
    return strip(150, 40, 3, [](QPainter& p, const QRectF& cell, int state) {
        const QRectF plate = cell.adjusted(1, 2, -1, 0);
        p.setPen(Qt::NoPen);
        if (state == 1) {
            p.setBrush(rgba(0xFFFFFF, 14));
            p.drawPath(roundedPath(plate.adjusted(0, 0, 0, 6), 6));
        } else if (state == 2) {
            QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
            fill.setColorAt(0, rgba(palette::kAccent, 10));
            fill.setColorAt(1, rgba(palette::kAccent, 40));
            p.setBrush(fill);
            p.drawPath(roundedPath(plate.adjusted(0, 0, 0, 6), 6));
            QLinearGradient bar(plate.topLeft(), plate.topRight());
            bar.setColorAt(0, QColor::fromRgb(palette::kAccent));
            bar.setColorAt(1, QColor::fromRgb(palette::kAccent2));
            p.setBrush(bar);
            p.drawRect(QRectF(plate.left() + 12, cell.bottom() - 3, plate.width() - 24, 3));
        }
    });
}

QImage track(bool filled) {
    QImage image = newImage(200, 6);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    if (filled) {
        QLinearGradient fill(0, 0, 200, 0);
        fill.setColorAt(0, QColor::fromRgb(palette::kAccent));
        fill.setColorAt(1, QColor::fromRgb(palette::kAccent2));
        p.setBrush(fill);
    } else {
        p.setBrush(QColor(0x25, 0x2B, 0x37));
    }
    p.drawPath(roundedPath(QRectF(0, 0, 200, 6), 3));
    if (!filled) {
        p.setBrush(rgba(0x000000, 90));
        p.drawPath(roundedPath(QRectF(0.5, 0.5, 199, 2.5), 1.25));
    }
    return image;
}

QImage selectedItem() {
    QImage image = newImage(200, 30);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(rgba(palette::kAccent, 38));
    p.drawPath(roundedPath(QRectF(0, 0, 200, 30), 5));
    p.setBrush(QColor::fromRgb(palette::kAccent));
    p.drawPath(roundedPath(QRectF(0, 7, 3, 16), 1.5));
    return image;
}

QImage comboArrow() {
    return strip(16, 16, kButtonStates, [](QPainter& p, const QRectF& cell, int state) {
        QColor colour = QColor::fromRgb(palette::kMuted);
        if (state == 1) {
            colour = Qt::white;
        } else if (state == 2) {
            colour = QColor::fromRgb(palette::kAccent);
        } else if (state == 3) {
            colour = QColor::fromRgb(palette::kDisabled);
        }
        drawGlyph(p, state == 2 ? Glyph::ChevronUp : Glyph::ChevronDown, cell, colour);
    });
}

}  // namespace

QImage toolkitComboArrow() {
    QImage image = newImage(12, 12);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawGlyph(p, Glyph::ChevronDown, QRectF(0, 0, 12, 12), QColor::fromRgb(palette::kMuted));
    return image;
}

void addWidgetPictures(Pictures& out) {
    addPicture(out, QStringLiteral("more_menu"), iconButton(32, Glyph::Dots));
    addPicture(out, QStringLiteral("btn_sys_min"), iconButton(32, Glyph::Minimize));
    addPicture(out, QStringLiteral("btn_sys_close"),
               iconButton(32, Glyph::Close, palette::kDanger, 220));

    addPicture(out, QStringLiteral("state_add"), toolButton(Glyph::Plus));
    addPicture(out, QStringLiteral("state_del"), toolButton(Glyph::Minus));
    addPicture(out, QStringLiteral("state_import"), toolButton(Glyph::Import));
    addPicture(out, QStringLiteral("state_export"), toolButton(Glyph::Export));
    addPicture(out, QStringLiteral("state_up"), toolButton(Glyph::ChevronUp));
    addPicture(out, QStringLiteral("state_down"), toolButton(Glyph::ChevronDown));
    addPicture(out, QStringLiteral("state_clear"), toolButton(Glyph::Trash));
    addPicture(out, QStringLiteral("state_record"), recordToggle());
    addPicture(out, QStringLiteral("state_capture"), captureToggle());

    addPicture(out, QStringLiteral("state_ok"), textButton(100, 34, true));
    addPicture(out, QStringLiteral("state_cancel"), textButton(100, 34, false));
    addPicture(out, QStringLiteral("state_color_effects"), textButton(120, 34, false));

    addPicture(out, QStringLiteral("cbox_profile_normal"), comboFrame());
    addPicture(out, QStringLiteral("cbox_profile_selected"), selectedItem());
    addPicture(out, QStringLiteral("cbox_profile_ico"), comboArrow());

    addPicture(out, QStringLiteral("bg_progress_bg"), track(false));
    addPicture(out, QStringLiteral("bg_progress_pos"), track(true));
    addPicture(out, QStringLiteral("state_progres_thum"), sliderThumb());
    addPicture(out, QStringLiteral("state_color_select"), radioDot());

    addPicture(out, QStringLiteral("state_func_bg"), tabHead());
    addPicture(out, QStringLiteral("win_macro_bg"), dialogFrame());
    addPicture(out, QStringLiteral("bg_macro_group"),
               panel(64, 64, palette::kPanel, palette::kBorder, 10));
    addPicture(out, QStringLiteral("image_bg_macro_content"),
               panel(64, 64, 0xFF12161D, 0xFF232936, 10));
    addPicture(out, QStringLiteral("bg_macr_keys"), sunkenField());
}

}  // namespace kg::uiart
