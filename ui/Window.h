#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <map>
#include <vector>

#include <pugixml.hpp>

#include "ui/Events.h"

namespace kg::ui {

class HostWnd;
class LayoutBuilder;
class Skin;

// Declares a control class: its layout tag and the class test for it (true for the tag and,
// through the base, every base tag).
#define KG_UI_CLASS(Base, tag)                                                                   \
public:                                                                                          \
    static constexpr const char* kClassName = tag;                                               \
    QString ownClassName() const override {                                                      \
        return QStringLiteral(tag);                                                              \
    }                                                                                            \
    bool matchesClass(QStringView t) const override {                                            \
        return t.compare(QLatin1String(tag), Qt::CaseInsensitive) == 0 || Base::matchesClass(t); \
    }                                                                                            \
                                                                                                 \
private:

// The toolkit's plain window, tag "window", and the base of every control. It is a QWidget
// placed at an absolute position in its parent; it paints an optional background colour or
// skin and its text. Texts given to it are sources: it shows their translation and shows them
// again translated when the language changes.
class Window : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "window";

    static constexpr unsigned kStateHover = 1;
    static constexpr unsigned kStatePressed = 2;
    static constexpr unsigned kStateChecked = 4;
    static constexpr unsigned kStateDisabled = 8;
    static constexpr unsigned kStateFocus = 16;

    explicit Window(QWidget* parent = nullptr);
    ~Window() override;

    // The class name: the layout tag this object was made for.
    QString className() const;
    // True for the class's own tag and every base tag (compared without regard to case).
    bool isClass(QStringView tag) const;
    virtual int objectType() const { return 1; }

    QString name() const { return m_name; }
    void setName(const QString& name);
    int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    intptr_t data() const { return m_data; }
    void setData(intptr_t data) { m_data = data; }

    // The host window this control lives in (null while it is not placed in one).
    HostWnd* host() const;
    // The nearest Window above this one.
    Window* parentWindow() const;

    // Layout attributes. Returns false for an attribute the class does not know.
    virtual bool applyAttribute(const QString& name, const QString& value);
    // Creates the children from the layout element (the default builds every child element as
    // a control; containers with special children override it).
    virtual bool createChildren(const pugi::xml_node& node, LayoutBuilder& builder);
    // After the attributes and children are set (the control's creation).
    virtual void onCreate() {}
    // After the whole layout of the host has been built.
    virtual void onInitFinished() {}
    // When the host window is destroyed.
    virtual void onDestroy() {}

    // Text (a source text; shown translated).
    virtual void setText(const QString& source);
    QString text() const { return m_text; }
    QString displayText() const;
    // Shows every text again in the current language; the host calls it on all its controls.
    virtual void retranslate();

    // States.
    unsigned state() const { return m_state; }
    void modifyState(unsigned add, unsigned remove);
    virtual void onStateChanged(unsigned oldState, unsigned newState);
    bool isChecked() const { return (m_state & kStateChecked) != 0; }
    virtual void setChecked(bool checked);

    // Look.
    const Skin* skin() const { return m_skin; }
    void setSkin(const Skin* skin);
    // The state index of the background skin: 0 normal, 1 hover, 2 pressed, 3 disabled.
    virtual int skinState() const;
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor& c);
    QColor backgroundColor() const { return m_bgColor; }
    void setBackgroundColor(const QColor& c);
    int textAlign() const { return m_align; }

    // Painting hooks.
    virtual void paint(QPainter& p);
    virtual void paintBackground(QPainter& p);
    virtual void paintText(QPainter& p);
    virtual QRect textRect() const;
    // The focus mark, drawn over the control while it has the keyboard focus (the default:
    // an accent-coloured outline).
    virtual void drawFocus(QPainter& p);
    // Whether the focus mark shows: the control has the focus and it came from the keyboard
    // (Tab, a dialog's default button), not from a click.
    bool showsFocusMark() const { return (m_state & kStateFocus) != 0; }
    // The mark shows when the window comes to the front with this control focused (a dialog's
    // default button, which Enter chooses).
    void markFocusOnActivation() { m_markBeforeLeaving = true; }
    virtual QSize desiredSize() const;

    // Events.
    void subscribe(int eventId, EventHandler handler);
    bool subscribe(const QString& eventName, EventHandler handler);
    void addEvent(int id, const QString& name);
    bool hasEvent(int id) const;
    // Raises an event: fills in the sender, offers it to the subscribers in order until one
    // marks it handled, then to the host's event map. Returns whether it was handled.
    bool fireEvent(Event& e);
    bool fireEvent(int eventId);

    // Mouse hover and leave notifications.
    virtual void onMouseHover();
    virtual void onMouseLeave();
    // Whether the control takes mouse clicks; others let them through to their parent (so a
    // press on a label in the title area drags the window).
    virtual bool isClickable() const { return m_clickable; }
    void setClickable(bool on) { m_clickable = on; }
    // A click (press and release on the control); the default raises kEventClick.
    virtual void onClick();

    // Lookup among the descendants, depth first in creation order. An empty class accepts
    // any class; a control of another class is reported and not returned.
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
    std::vector<Window*> childWindows() const;

    // Tags set by the object factory: the tag this object was created for and its bases.
    void setFactoryTags(const QStringList& tags) { m_factoryTags = tags; }

    // Helpers for attribute values.
    static bool parseBool(const QString& v);
    static int parseInt(const QString& v, int fallback = 0);       // decimal or "0x" hexadecimal
    static QRect parseRect(const QString& v, bool* ok = nullptr);  // "x,y,w,h"
    static QSize parseSize(const QString& v, bool* ok = nullptr);  // "w,h"

protected:
    virtual QString ownClassName() const { return QStringLiteral("window"); }
    virtual bool matchesClass(QStringView t) const {
        return t.compare(QLatin1String("window"), Qt::CaseInsensitive) == 0;
    }
    QString translate(const QString& source) const;
    // The skin a skin attribute names (see Toolkit::findSkin); says so when there is none.
    const Skin* skinAttribute(const QString& value) const;

    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

    QFont m_font;
    bool m_hasFont = false;
    bool m_sizeGiven = false;  // a "size" attribute set the size

private:
    QString m_name;
    int m_id = 0;
    intptr_t m_data = 0;
    QString m_text;
    unsigned m_state = 0;
    const Skin* m_skin = nullptr;
    QColor m_textColor;
    QColor m_bgColor;
    QColor m_borderColor;
    int m_radius = 0;
    int m_align = Qt::AlignLeft | Qt::AlignVCenter;
    QPoint m_textOffset;
    bool m_clickable = false;
    bool m_pressedInside = false;
    bool m_drag = false;
    bool m_wrap = false;
    // The focus mark showed when the window lost the focus to another window; it shows again
    // when the window comes back. A window's first focus shows none until the keyboard is used.
    bool m_markBeforeLeaving = false;
    QStringList m_factoryTags;
    std::map<int, std::vector<EventHandler>> m_handlers;
    std::map<int, QString> m_ownEvents;
};

}  // namespace kg::ui
