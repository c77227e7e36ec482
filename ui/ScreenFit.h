#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;
class QWidget;

namespace kg::ui {

// Where a top-level window opens and how large it shows. The layouts have fixed pixel sizes;
// on a small screen or with a large text scaling the main window would not fit and its title
// bar could end up out of reach. Then every window of the program on that screen is shown
// smaller by the same factor (pictures, texts and the mouse with it), so the window keeps its
// proportions and fits the screen's available area. Where even that does not make it fit (a
// screen at 100 % smaller than the layout), the window is placed with its top-left corner, its
// title and the start of its title bar on screen.
class ScreenFit {
public:
    // The screen a window opens on: the one under the mouse pointer, else the primary screen.
    static QScreen* screenToOpenOn();

    // The factor (at most 1) by which a window whose frame is frameSize has to shrink to fit
    // inside area. A few hundredths are kept in hand against rounding.
    static double shrinkFactor(const QSize& frameSize, const QRect& area);

    // Shows the program's windows on `screen` smaller by shrinkFactor when a window with this
    // frame does not fit its available area, though never at fewer device pixels than layout
    // pixels (a scaled screen shrinks at most to 100 %). Returns the factor applied (1: none).
    static double shrinkScreenToFit(QScreen& screen, const QSize& frameSize);

    // The top-left that puts a frame of frameSize centred on `centre`, moved as little as
    // needed to lie inside area (its top-left corner first when it is larger).
    static QPoint placeInside(const QSize& frameSize, const QPoint& centre, const QRect& area);

    // Shrinks if needed and centres the window on `screen` (null: screenToOpenOn()).
    static void openCentred(QWidget& window, QScreen* screen = nullptr);
    // Centres the window on `owner`, kept inside the available area of the owner's screen.
    static void openOver(QWidget& window, const QWidget& owner);
};

}  // namespace kg::ui
