#include "ui/ScreenFit.h"

#include <QtGui/private/qhighdpiscaling_p.h>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "ui/UiLog.h"

namespace kg::ui {

namespace {

QSize frameSizeOf(const QWidget& window) {
    // Before the first show a window has no frame yet; a frameless one never has one.
    return window.isVisible() ? window.frameGeometry().size() : window.size();
}

}  // namespace

QScreen* ScreenFit::screenToOpenOn() {
    if (QScreen* s = QGuiApplication::screenAt(QCursor::pos())) {
        return s;
    }
    return QGuiApplication::primaryScreen();
}

double ScreenFit::shrinkFactor(const QSize& frameSize, const QRect& area) {
    if (frameSize.isEmpty() || area.isEmpty()) {
        return 1.0;
    }
    if (frameSize.width() <= area.width() && frameSize.height() <= area.height()) {
        return 1.0;
    }
    const double f = std::min(static_cast<double>(area.width()) / frameSize.width(),
                              static_cast<double>(area.height()) / frameSize.height());
    // Whole hundredths, rounded down: the shrunk frame stays inside after pixel rounding.
    return std::max(0.1, std::floor(f * 100.0 - 1.0) / 100.0);
}

double ScreenFit::shrinkScreenToFit(QScreen& screen, const QSize& frameSize) {
    const QRect area = screen.availableGeometry();
    // Qt paints no window at fewer device pixels than layout pixels (its painter never scales
    // below 1): a screen at 100 % cannot show the windows smaller.
    const double f =
        std::max(shrinkFactor(frameSize, area), 1.0 / std::max(1.0, screen.devicePixelRatio()));
    if (f >= 1.0) {
        return 1.0;
    }
    // Qt's own scaling of this screen (its DPI, QT_SCREEN_SCALE_FACTORS) is multiplied by f;
    // the process-wide factor (QT_SCALE_FACTOR) stays as it is.
    const double global = QHighDpiScaling::factor(static_cast<const QScreen*>(nullptr));
    const double current = QHighDpiScaling::factor(&screen);
    QHighDpiScaling::setScreenFactor(&screen, current / (global > 0.0 ? global : 1.0) * f);
    qCInfo(lcUi).noquote() << QStringLiteral(
                                  "a %1x%2 window does not fit the %3x%4 available on screen "
                                  "%5: the windows there show at %6 % of their size")
                                  .arg(frameSize.width())
                                  .arg(frameSize.height())
                                  .arg(area.width())
                                  .arg(area.height())
                                  .arg(screen.name())
                                  .arg(static_cast<int>(std::lround(f * 100.0)));
    return f;
}

QPoint ScreenFit::placeInside(const QSize& frameSize, const QPoint& centre, const QRect& area) {
    QPoint topLeft = centre - QPoint(frameSize.width() / 2, frameSize.height() / 2);
    if (area.isEmpty()) {
        return topLeft;
    }
    // Right and bottom first, then left and top: a frame larger than the area keeps its title
    // bar and left edge on screen.
    topLeft.setX(std::min(topLeft.x(), area.right() + 1 - frameSize.width()));
    topLeft.setY(std::min(topLeft.y(), area.bottom() + 1 - frameSize.height()));
    topLeft.setX(std::max(topLeft.x(), area.left()));
    topLeft.setY(std::max(topLeft.y(), area.top()));
    return topLeft;
}

void ScreenFit::openCentred(QWidget& window, QScreen* screen) {
    if (!screen) {
        screen = screenToOpenOn();
    }
    if (!screen) {
        return;
    }
    window.setScreen(screen);
    shrinkScreenToFit(*screen, frameSizeOf(window));
    const QRect area = screen->availableGeometry();
    window.move(placeInside(frameSizeOf(window), area.center(), area));
}

void ScreenFit::openOver(QWidget& window, const QWidget& owner) {
    const QWidget* top = owner.window();
    QScreen* screen = top->screen() ? top->screen() : screenToOpenOn();
    if (!screen) {
        return;
    }
    window.setScreen(screen);
    shrinkScreenToFit(*screen, frameSizeOf(window));
    window.move(placeInside(frameSizeOf(window), top->frameGeometry().center(),
                            screen->availableGeometry()));
}

}  // namespace kg::ui
