#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <vector>

#include <pugixml.hpp>

#include "ui/Events.h"
#include "ui/Window.h"

namespace kg::ui {

class WindowPositionSync;

// A control that animates registers one of these with its host; the host calls onNextFrame
// every 10 ms while at least one handler is registered.
class ITimelineHandler {
public:
    virtual ~ITimelineHandler() = default;
    virtual void onNextFrame() = 0;
};

// Message numbers of the host's message handling (the values the program's code knows).
enum Message : unsigned {
    kMsgDestroy = 0x0002,
    kMsgClose = 0x0010,
    kMsgInitDialog = 0x0110,
    kMsgCommand = 0x0111,
    kMsgSysCommand = 0x0112,
    kMsgDeviceChange = 0x0219,
    kMsgLanguageChanged = 2025,
};
enum SysCommand : unsigned { kScMinimize = 0xF020, kScMaximize = 0xF030, kScRestore = 0xF120 };

// A top-level window built from an XML layout resource ("LAYOUT:..."). The layout's root is
// `layout`; its children are the controls (see ui/README.md for the dialect).
//
// Messages go through processMessage (the message map: override it, handle what you want,
// return true; call the base for the rest). Events of the controls that their subscribers
// leave unhandled go to onEvent (the event map).
class HostWnd : public QWidget {
    Q_OBJECT
public:
    explicit HostWnd(QString layoutResource, QWidget* parent = nullptr);
    ~HostWnd() override;

    // Builds the window from its layout. False (with diagnostics) when the layout is missing
    // or malformed; the window then exists but is empty. Unknown tags are skipped.
    bool create();
    // The same with the layout's text in memory; `origin` names it in diagnostics.
    bool createFromBuffer(const QByteArray& text, const QString& origin);
    bool isCreated() const { return m_created; }
    bool isDestroyed() const { return m_destroyed; }
    QString layoutResource() const { return m_layoutResource; }
    Window* root() const { return m_root; }

    Window* findChildByName(const QString& name, const QString& cls = QString()) const;
    Window* findChildById(int id, const QString& cls = QString()) const;
    template <class T>
    T* findChildAs(const QString& name) const {
        return qobject_cast<T*>(findChildByName(name, QString::fromLatin1(T::kClassName)));
    }
    template <class T>
    T* findChildAs(int id) const {
        return qobject_cast<T*>(findChildById(id, QString::fromLatin1(T::kClassName)));
    }

    // Messages: sent synchronously, or posted to run from the loop.
    intptr_t sendMessage(unsigned msg, uintptr_t wParam = 0, intptr_t lParam = 0);
    void postMessage(unsigned msg, uintptr_t wParam = 0, intptr_t lParam = 0);
    // Posts a command event as if a named control had raised it (extended menu items).
    void postNamedCommand(const QString& name, int id);

    // Events the controls did not handle themselves.
    bool dispatchEvent(Event& e);

    // Destroys the window: the destroy message runs, the controls get onDestroy, the window
    // is hidden. The object stays until its owner deletes it. Destroying the toolkit's main
    // window ends the message loop with 0.
    void destroyWindow();
    // Centres the window on the screen it opens on (the mouse pointer's), the program's windows
    // there shown smaller when this one would not fit (ScreenFit).
    void centerOnScreen();

    // The frame timeline.
    void registerTimelineHandler(ITimelineHandler* handler);
    void unregisterTimelineHandler(ITimelineHandler* handler);
    int timelineHandlerCount() const { return static_cast<int>(m_timeline.size()); }
    // Calls every handler once (one 10 ms frame); tests drive the timeline with it.
    void runTimelineFrame();
    // Off: the timer never runs and only runTimelineFrame advances the handlers.
    void setTimelineTimerEnabled(bool on);

    // Moving the window with the mouse from a press at globalPos (the caption area, a control
    // with "drag"): the window manager moves it when there is one; otherwise the window follows
    // the mouse by the distance it moved.
    void beginMove(const QPoint& globalPos);
    void followMove(const QPoint& globalPos);
    void endMove() { m_moving = false; }

    // Texts of every control again in the current language (the language-change message).
    void retranslateAll();
    QRect captionRect() const { return m_caption; }
    // Keeps the window's position as the window system has it (popups, moves start from it).
    WindowPositionSync& positionSync() const { return *m_positionSync; }

protected:
    // The message map. Returns true when handled; `result` is the answer.
    virtual bool processMessage(unsigned msg, uintptr_t wParam, intptr_t lParam, intptr_t& result);
    // Default handlers the base map calls.
    virtual void onInitDialog() {}
    virtual void onMenuCommand(int /*id*/) {}
    virtual void onDeviceChange(uintptr_t /*event*/, intptr_t /*data*/) {}
    virtual void onCloseMessage() { destroyWindow(); }
    virtual void onDestroyMessage() {}
    // The event map; return true when handled.
    virtual bool onEvent(Event& /*e*/) { return false; }
    // After the layout has been built, before the controls' onInitFinished.
    virtual void onCreated() {}
    // The root layout element's attributes; false for unknown ones.
    virtual bool applyHostAttribute(const QString& name, const QString& value);

    void closeEvent(QCloseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void makeRoot();
    void notifyDestroy(Window* w);

    QString m_layoutResource;
    WindowPositionSync* m_positionSync;  // a child object
    Window* m_root = nullptr;
    bool m_created = false;
    bool m_destroyed = false;
    QRect m_caption;
    std::vector<ITimelineHandler*> m_timeline;
    QTimer m_timelineTimer;
    bool m_timelineTimerEnabled = true;
    QString m_title;
    bool m_moving = false;
    QPoint m_movePress;
    QPoint m_moveOrigin;
};

}  // namespace kg::ui
