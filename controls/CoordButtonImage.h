#pragma once

#include <QPixmap>
#include <QPoint>
#include <cstdint>
#include <list>
#include <string>

#include "controls/KeyLayout.h"
#include "ui/Window.h"

// Hears presses and clicks of the keys of a CoordButtonImage.
class ICoordButtonClickListener {
public:
    virtual ~ICoordButtonClickListener() = default;
    // kind 0: the left button went down on the key; kind 1: a click (the button went up on
    // the key it went down on). keyState holds the mouse message's key flags (MK_LBUTTON 0x1,
    // MK_RBUTTON 0x2, MK_SHIFT 0x4, MK_CONTROL 0x8, MK_MBUTTON 0x10); x and y are control
    // coordinates. Nonzero means handled: the image then leaves its checked marks alone.
    virtual int onCoordButtonClick(int id, std::wstring name, int kind, std::uintptr_t keyState,
                                   int x, int y) = 0;
};

// The keyboard picture, tag "cbimg": the keys of a key layout file ("crdxml") filled with
// their colours under the background picture ("bg"), the key under the mouse lit from the
// hover overlay ("chking") and the checked keys from the checked overlay ("chked"). Each key's
// tip (or name) is the tooltip while the mouse is over it. "type" chooses what a press does
// to the checked marks when the listener leaves it: 0 nothing, 1 single, 2 multiple.
class CoordButtonImage : public kg::ui::Window {
    Q_OBJECT
    KG_UI_CLASS(kg::ui::Window, "cbimg")
public:
    // The id that stands for every key in setKeyTip, setKeyChecked and toggleKeyChecked.
    static constexpr int kAllKeys = 0x7FFFFFFF;
    enum Kind : int { kPress = 0, kClick = 1 };
    enum SelectionType : int { kSelectNone = 0, kSelectSingle = 1, kSelectMultiple = 2 };
    enum KeyState : std::uintptr_t {
        kKeyLButton = 0x0001,
        kKeyRButton = 0x0002,
        kKeyShift = 0x0004,
        kKeyControl = 0x0008,
        kKeyMButton = 0x0010,
    };

    explicit CoordButtonImage(QWidget* parent = nullptr);
    ~CoordButtonImage() override;

    bool applyAttribute(const QString& name, const QString& value) override;
    // Reads the key layout file (once), then the window's own creation.
    void onCreate() override;
    void paint(QPainter& p) override;
    void retranslate() override;

    void setClickListener(ICoordButtonClickListener* listener) { m_listener = listener; }
    ICoordButtonClickListener* clickListener() const { return m_listener; }
    // The first key with this id, or every key for kAllKeys. Each redraws.
    void setKeyTip(int id, const std::wstring& text);
    void setKeyChecked(int id, int value);
    void toggleKeyChecked(int id);
    // Copies out the first key with this id.
    bool findKey(int id, CoordButton& key) const;

    const std::list<CoordButton>& keys() const { return m_keys; }
    int selectionType() const { return m_type; }
    const std::wstring& layoutPath() const { return m_layoutPath; }
    // The file the layout path names (program folder + layout path).
    std::wstring layoutFile() const;
    QString tipText() const { return m_tipText; }

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void loadLayout();
    // The first key of the layout whose rectangle holds pt; presses and clicks go to it.
    CoordButton* firstKeyAt(const QPoint& pt);
    void dispatch(int kind, CoordButton& key, std::uintptr_t keyState, int x, int y);
    void setTipText(const QString& text, const QPoint& globalPos);
    static QPixmap imageOf(const QString& reference);
    static std::uintptr_t keyStateOf(const QMouseEvent& e);
    void drawOverlay(QPainter& p, const QPixmap& overlay, int CoordButton::*mark) const;

    QPixmap m_background;
    QPixmap m_hoverOverlay;
    QPixmap m_checkedOverlay;
    std::list<CoordButton> m_keys;
    std::uint32_t m_defaultColour = 0xFFFFFF;
    int m_type = kSelectNone;
    std::wstring m_layoutPath;
    ICoordButtonClickListener* m_listener = nullptr;
    QString m_tipText;
    bool m_loaded = false;
};
