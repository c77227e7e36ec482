#include "ui/Skin.h"

#include <QPainter>
#include <QPainterPath>

namespace kg::ui {

QSize Skin::size() const {
    if (kind == Kind::ColorRect || image.isNull()) {
        return {};
    }
    const QSize whole = image.deviceIndependentSize().toSize();
    return vertical ? QSize(whole.width(), whole.height() / stateCount())
                    : QSize(whole.width() / stateCount(), whole.height());
}

QRect Skin::stateRect(int state) const {
    // In device pixels of the image.
    const int n = stateCount();
    const int s = state < 0 ? 0 : (state >= n ? n - 1 : state);
    const int w = vertical ? image.width() : image.width() / n;
    const int h = vertical ? image.height() / n : image.height();
    return vertical ? QRect(0, s * h, w, h) : QRect(s * w, 0, w, h);
}

void Skin::draw(QPainter& p, const QRect& rect, int state, qreal opacity) const {
    if (rect.isEmpty()) {
        return;
    }
    const qreal oldOpacity = p.opacity();
    p.setOpacity(oldOpacity * opacity);
    if (kind == Kind::ColorRect) {
        if (!colors.isEmpty()) {
            const int s = state < 0 ? 0 : (state >= colors.size() ? colors.size() - 1 : state);
            p.save();
            p.setRenderHint(QPainter::Antialiasing, radius > 0);
            p.setPen(border.isValid() ? QPen(border, 1) : Qt::NoPen);
            p.setBrush(colors[s]);
            const QRectF r = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
            p.drawRoundedRect(r, radius, radius);
            p.restore();
        }
        p.setOpacity(oldOpacity);
        return;
    }
    if (image.isNull()) {
        p.setOpacity(oldOpacity);
        return;
    }
    const QRect src = stateRect(state);
    const qreal dpr = image.devicePixelRatio();
    if (kind == Kind::ImageFrame && !margins.isNull()) {
        // Nine-patch: corners unscaled, edges stretched in one direction, the centre in both.
        const int l = margins.left(), t = margins.top(), r = margins.right(), b = margins.bottom();
        const int sl = qRound(l * dpr), st = qRound(t * dpr), sr = qRound(r * dpr),
                  sb = qRound(b * dpr);
        const int xs[4] = {src.left(), src.left() + sl, src.right() + 1 - sr, src.right() + 1};
        const int ys[4] = {src.top(), src.top() + st, src.bottom() + 1 - sb, src.bottom() + 1};
        const int xd[4] = {rect.left(), rect.left() + l, rect.right() + 1 - r, rect.right() + 1};
        const int yd[4] = {rect.top(), rect.top() + t, rect.bottom() + 1 - b, rect.bottom() + 1};
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                const QRect s(QPoint(xs[col], ys[row]), QPoint(xs[col + 1] - 1, ys[row + 1] - 1));
                const QRect d(QPoint(xd[col], yd[row]), QPoint(xd[col + 1] - 1, yd[row + 1] - 1));
                if (s.isValid() && d.isValid() && !s.isEmpty() && !d.isEmpty()) {
                    p.drawPixmap(d, image, s);
                }
            }
        }
    } else {
        p.drawPixmap(rect, image, src);
    }
    p.setOpacity(oldOpacity);
}

void Skin::drawPart(QPainter& p, const QRect& target, const QRect& part, int state) const {
    if (image.isNull() || kind == Kind::ColorRect) {
        return;
    }
    const QRect whole = stateRect(state);
    const qreal dpr = image.devicePixelRatio();
    const QRect src(whole.left() + qRound(part.left() * dpr),
                    whole.top() + qRound(part.top() * dpr), qRound(part.width() * dpr),
                    qRound(part.height() * dpr));
    p.drawPixmap(target, image, src.intersected(whole));
}

}  // namespace kg::ui
