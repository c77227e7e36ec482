#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

#include <pugixml.hpp>

#include "ui/Window.h"

class QScrollArea;

namespace kg::ui {

class ListView;

// Feeds a list view: the number of rows and the binding of one row, made from the view's row
// template. The adapter is owned by whoever made it; it must outlive its views or be
// destroyed first (it then detaches from them).
class ListAdapter {
public:
    virtual ~ListAdapter();
    virtual int count() = 0;
    // Fills the controls of `row` (built from the template) for `position`.
    virtual void bindView(int position, Window* row) = 0;
    // Rebuilds the rows of every view showing this adapter.
    void notifyDataSetChanged();

private:
    friend class ListView;
    std::vector<ListView*> m_views;
};

enum class SortMark { None, Up, Down };

// Feeds a multi-column list view: in addition the name of the template control that forms
// each column and the handling of a click on a column header.
class McAdapter : public ListAdapter {
public:
    virtual QString columnName(int column) const = 0;
    // A click on header `column`; `marks` holds one sort mark per column, for the adapter to
    // change. Returns true when the rows changed.
    virtual bool onSort(int column, std::vector<SortMark>& marks) {
        (void)column;
        (void)marks;
        return false;
    }
};

// A row of a list view, tag "item"; a click on it selects it and raises the click event.
class ListItem : public Window {
    Q_OBJECT
    KG_UI_CLASS(Window, "item")
public:
    explicit ListItem(QWidget* parent = nullptr) : Window(parent) { setClickable(true); }
    void paintBackground(QPainter& p) override;
    int position() const { return m_position; }
    void setPosition(int p) { m_position = p; }
    void setSelected(bool s) {
        m_selected = s;
        update();
    }
    void onClick() override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    int m_position = -1;
    bool m_selected = false;
};

// A list view, tag "listview", with its row template:
//   <listview name="..." pos="..."><template itemHeight="30"> ...controls... </template></listview>
class ListView : public Window {
    Q_OBJECT
    KG_UI_CLASS(Window, "listview")
public:
    explicit ListView(QWidget* parent = nullptr);
    ~ListView() override;
    bool applyAttribute(const QString& name, const QString& value) override;
    bool createChildren(const pugi::xml_node& node, LayoutBuilder& builder) override;

    void setAdapter(ListAdapter* adapter);
    ListAdapter* adapter() const { return m_adapter; }
    // Rebuilds the rows from the adapter; the selection stays when the row still exists.
    void refresh();
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    Window* row(int position) const;
    int getSel() const { return m_sel; }
    // Selects a row (-1 clears); with `notify` a change raises the selection-change event.
    bool setSel(int position, bool notify = false);
    int itemHeight() const { return m_itemHeight; }

protected:
    // Where rows go (the top of the scrolled area); a multi-column view moves it below its
    // header.
    virtual QRect rowsArea() const { return rect(); }
    // After a row is built, before the adapter binds it.
    virtual void arrangeRow(ListItem* row) { (void)row; }
    void resizeEvent(QResizeEvent* e) override;
    void layoutArea();
    // The width of a row when the view holds `rows` rows.
    int rowWidth(int rows) const;

    friend class ListItem;
    void rowClicked(ListItem* row);

    QColor m_selColor;
    QColor m_hoverColor;

private:
    void detach();
    ListAdapter* m_adapter = nullptr;
    pugi::xml_document m_template;
    QString m_origin;
    QByteArray m_source;
    int m_itemHeight = 30;
    std::vector<ListItem*> m_rows;
    int m_sel = -1;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_content = nullptr;
};

// A multi-column list view, tag "mclistview": a header with columns and rows whose controls
// named by McAdapter::columnName(i) are placed in column i.
//   <mclistview name="..." pos="..."><header height="28"><item text="Code" width="80"/>...</header>
//     <template itemHeight="28"><text name="col1">...</text>...</template></mclistview>
class McListView : public ListView {
    Q_OBJECT
    KG_UI_CLASS(ListView, "mclistview")
public:
    explicit McListView(QWidget* parent = nullptr);
    bool createChildren(const pugi::xml_node& node, LayoutBuilder& builder) override;
    void retranslate() override;
    void setMcAdapter(McAdapter* adapter);
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    QString columnText(int column) const;
    SortMark sortMark(int column) const;
    // A click on a header, as the mouse makes it.
    void clickHeader(int column);

protected:
    QRect rowsArea() const override;
    void arrangeRow(ListItem* row) override;
    void paint(QPainter& p) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    struct Column {
        QString text;
        int width = 80;
    };
    std::vector<Column> m_columns;
    std::vector<SortMark> m_marks;
    int m_headerHeight = 28;
    McAdapter* m_mcAdapter = nullptr;
};

}  // namespace kg::ui
