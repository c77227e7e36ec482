#pragma once

#include <vector>

#include "ui/Window.h"

namespace kg::ui {

// A page of a tab control, tag "page": "title" (a source text, shown translated) and
// "iconIndex" (-1: the tab index is used as the icon state).
class TabPage : public Window {
    Q_OBJECT
    KG_UI_CLASS(Window, "page")
public:
    explicit TabPage(QWidget* parent = nullptr) : Window(parent) {}
    bool applyAttribute(const QString& name, const QString& value) override;
    QString title() const { return m_title; }
    void setTitle(const QString& source) { m_title = source; }
    int iconIndex() const { return m_iconIndex; }

private:
    QString m_title;
    int m_iconIndex = -1;
};

// A tab control, tag "tabctrl": tab heads ("tabAlign" top or left, "tabWidth", "tabHeight";
// a height of 0 hides them) and the pages below. Pages come from child elements whose class
// is a page. Moving the mouse over a head raises tab hover, leaving it tab leave (with the
// tab's index); a change of the page raises the tab selection event.
class TabCtrl : public Window {
    Q_OBJECT
    KG_UI_CLASS(Window, "tabctrl")
public:
    explicit TabCtrl(QWidget* parent = nullptr);
    bool applyAttribute(const QString& name, const QString& value) override;
    bool createChildren(const pugi::xml_node& node, LayoutBuilder& builder) override;
    void onCreate() override;
    void paint(QPainter& p) override;

    int pageCount() const { return static_cast<int>(m_pages.size()); }
    TabPage* page(int index) const;
    int curSel() const { return m_cur; }
    // Shows page `index`; false for an index that is no page.
    bool setCurSel(int index);
    int hoverIndex() const { return m_hover; }

    // Geometry and look, for classes that draw the heads themselves.
    QRect headRect() const;
    virtual QRect itemRect(int index) const;
    QString tabAlign() const { return m_align; }
    const Skin* tabSkin() const { return m_tabSkin; }
    const Skin* iconSkin() const { return m_iconSkin; }
    const Skin* separatorSkin() const { return m_sepSkin; }
    const Skin* frameSkin() const { return m_frameSkin; }
    QPoint iconOffset() const { return m_iconOffset; }
    QPoint textOffset() const { return m_textOffset; }
    bool hasTextOffset() const { return m_hasTextOffset; }

protected:
    // Makes the page of a child element; null when the element makes no page.
    virtual TabPage* createPage(const pugi::xml_node& node, LayoutBuilder& builder);
    // Draws tab `index` with state 0 normal, 1 hover, 2 current.
    virtual void drawItem(QPainter& p, const QRect& rect, int index, int state);
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void layoutPages();
    int itemAt(const QPoint& pt) const;
    void setHover(int index);

    std::vector<TabPage*> m_pages;
    int m_cur = -1;
    int m_initial = 0;
    int m_hover = -1;
    QString m_align = QStringLiteral("top");
    int m_tabWidth = 100;
    int m_tabHeight = 32;
    int m_interval = 0;
    const Skin* m_tabSkin = nullptr;
    const Skin* m_iconSkin = nullptr;
    const Skin* m_sepSkin = nullptr;
    const Skin* m_frameSkin = nullptr;
    QPoint m_iconOffset;
    QPoint m_textOffset;
    bool m_hasTextOffset = false;
};

}  // namespace kg::ui
