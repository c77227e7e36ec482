#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

namespace kg::ui {

// Keeps Qt's idea of where a top-level window is in step with where the window system really
// put it. Right after a window manager maps and reparents a frameless window, Qt's position can
// be stale; popups placed from it (menus, combo box lists) then open far from their button,
// and a move handed to the window manager starts from the wrong point, so the window jumps.
//
// Every mouse press on the window says where it really is: the press's screen position, which
// the window system reports, less its position inside the window. When that differs from
// Qt's idea, Qt is told the real position before the press reaches the control.
class WindowPositionSync : public QObject {
    Q_OBJECT
public:
    explicit WindowPositionSync(QWidget& window);
    ~WindowPositionSync() override;

    // The difference (real less believed) below which nothing is corrected: rounding of scaled
    // positions.
    static constexpr int kToleratedPixels = 2;

    // Corrects the window from one observation: a point `inWindow` (window coordinates) that the
    // window system reports at screen position `onScreen`. Returns whether it moved Qt's idea.
    bool observe(const QPoint& inWindow, const QPoint& onScreen);
    int corrections() const { return m_corrections; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    int m_corrections = 0;
};

}  // namespace kg::ui
