#include "ui/ListView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <cstring>
#include <sstream>

#include "ui/LayoutBuilder.h"
#include "ui/Toolkit.h"
#include "ui/UiLog.h"

namespace kg::ui {

ListAdapter::~ListAdapter() {
    const std::vector<ListView*> views = m_views;
    for (ListView* v : views) {
        v->setAdapter(nullptr);
    }
}

void ListAdapter::notifyDataSetChanged() {
    const std::vector<ListView*> views = m_views;
    for (ListView* v : views) {
        v->refresh();
    }
}

void ListItem::paintBackground(QPainter& p) {
    auto* view = qobject_cast<ListView*>(parentWindow());
    QColor c;
    if (m_selected) {
        c = view && view->m_selColor.isValid() ? view->m_selColor : QColor(0x1F, 0x3A, 0x4A);
    } else if (state() & kStateHover) {
        c = view && view->m_hoverColor.isValid() ? view->m_hoverColor : QColor(0x1A, 0x1F, 0x29);
    }
    if (c.isValid()) {
        p.fillRect(rect(), c);
    }
    Window::paintBackground(p);
}

void ListItem::mousePressEvent(QMouseEvent* e) {
    Window::mousePressEvent(e);
}

void ListItem::onClick() {
    // The view selects the row before the row's own click handlers run.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* view = qobject_cast<ListView*>(w)) {
            view->rowClicked(this);
            break;
        }
    }
    Window::onClick();
}

ListView::ListView(QWidget* parent) : Window(parent), m_scroll(new QScrollArea(this)) {
    m_content = new QWidget;
    m_scroll->setWidget(m_content);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(false);
    m_scroll->setStyleSheet(QStringLiteral(
        "QScrollArea{background:transparent;} QScrollArea>QWidget>QWidget{background:transparent;}"
        "QScrollBar:vertical{background:transparent;width:8px;margin:0;}"
        "QScrollBar::handle:vertical{background:#2A3140;border-radius:4px;min-height:24px;}"
        "QScrollBar::add-line,QScrollBar::sub-line{height:0;}"));
    m_scroll->viewport()->setAutoFillBackground(false);
    m_content->setAutoFillBackground(false);
}

ListView::~ListView() {
    detach();
}

void ListView::detach() {
    if (m_adapter) {
        std::erase(m_adapter->m_views, this);
        m_adapter = nullptr;
    }
}

bool ListView::applyAttribute(const QString& name, const QString& value) {
    const QString a = name.toLower();
    Toolkit* tk = Toolkit::instance();
    if (a == QLatin1String("itemheight")) {
        m_itemHeight = parseInt(value, m_itemHeight);
    } else if (a == QLatin1String("colorselbkgnd")) {
        m_selColor = tk ? tk->parseColor(value) : QColor(value);
    } else if (a == QLatin1String("colorhoverbkgnd")) {
        m_hoverColor = tk ? tk->parseColor(value) : QColor(value);
    } else {
        return Window::applyAttribute(name, value);
    }
    return true;
}

bool ListView::createChildren(const pugi::xml_node& node, LayoutBuilder& builder) {
    m_origin = builder.origin();
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) {
            continue;
        }
        if (std::strcmp(c.name(), "template") == 0) {
            m_template.reset();
            m_template.append_copy(c);
            m_itemHeight = c.attribute("itemHeight").as_int(m_itemHeight);
            // Keep the template's text so diagnostics of rows point at lines of the layout.
            std::ostringstream out;
            m_template.save(out);
            m_source = QByteArray::fromStdString(out.str());
        } else if (std::strcmp(c.name(), "header") != 0) {
            qCWarning(lcUi).noquote() << builder.where(c) << "is not expected inside a list view";
        }
    }
    layoutArea();
    return true;
}

void ListView::setAdapter(ListAdapter* adapter) {
    detach();
    m_adapter = adapter;
    if (m_adapter) {
        m_adapter->m_views.push_back(this);
    }
    refresh();
}

Window* ListView::row(int position) const {
    return position >= 0 && position < rowCount() ? m_rows[static_cast<size_t>(position)] : nullptr;
}

void ListView::refresh() {
    for (ListItem* r : m_rows) {
        // Out of the tree at once, so lookups by name see only the new rows; deleted later,
        // since a row's own click handler may be what asked for the refresh.
        r->hide();
        r->setParent(nullptr);
        r->deleteLater();
    }
    m_rows.clear();
    const int n = m_adapter ? m_adapter->count() : 0;
    const int w = rowWidth(n);
    LayoutBuilder builder(m_origin + QStringLiteral(" (row template)"), m_source);
    const pugi::xml_node templ = m_template.child("template");
    for (int i = 0; i < n; ++i) {
        auto* item = new ListItem(m_content);
        item->setPosition(i);
        item->setGeometry(0, i * m_itemHeight, w, m_itemHeight);
        if (templ) {
            builder.buildChildren(item, templ);
        }
        arrangeRow(item);
        m_rows.push_back(item);
        m_adapter->bindView(i, item);
        item->show();
    }
    m_content->resize(w, n * m_itemHeight);
    if (m_sel >= n) {
        m_sel = -1;
    }
    if (ListItem* s = qobject_cast<ListItem*>(row(m_sel))) {
        s->setSelected(true);
    }
}

bool ListView::setSel(int position, bool notify) {
    if (position < -1 || position >= rowCount()) {
        return false;
    }
    const int old = m_sel;
    if (auto* r = qobject_cast<ListItem*>(row(old))) {
        r->setSelected(false);
    }
    m_sel = position;
    if (auto* r = qobject_cast<ListItem*>(row(position))) {
        r->setSelected(true);
        m_scroll->ensureWidgetVisible(r, 0, 0);
    }
    if (notify && old != position) {
        Event e;
        e.id = kEventSelChanged;
        e.oldSel = old;
        e.newSel = position;
        fireEvent(e);
    }
    return true;
}

void ListView::rowClicked(ListItem* r) {
    setSel(r->position(), true);
}

void ListView::layoutArea() {
    m_scroll->setGeometry(rowsArea());
    const int w = rowWidth(rowCount());
    m_content->resize(w, rowCount() * m_itemHeight);
    for (ListItem* r : m_rows) {
        r->resize(w, m_itemHeight);
        arrangeRow(r);
    }
}

int ListView::rowWidth(int rows) const {
    // From the view's own geometry: the scroll area's viewport keeps its old size until the
    // view is shown, so rows built before that would be cut short.
    const QRect area = rowsArea();
    int w = area.width();
    if (rows * m_itemHeight > area.height()) {
        w -= m_scroll->verticalScrollBar()->sizeHint().width();
    }
    return std::max(0, w);
}

void ListView::resizeEvent(QResizeEvent* e) {
    layoutArea();
    Window::resizeEvent(e);
}

McListView::McListView(QWidget* parent) : ListView(parent) {}

bool McListView::createChildren(const pugi::xml_node& node, LayoutBuilder& builder) {
    if (const pugi::xml_node header = node.child("header")) {
        m_headerHeight = header.attribute("height").as_int(m_headerHeight);
        Toolkit* tk = Toolkit::instance();
        for (pugi::xml_node c = header.child("item"); c; c = c.next_sibling("item")) {
            const QString t = QString::fromUtf8(c.attribute("text").value());
            m_columns.push_back({tk ? tk->resolveString(t) : t, c.attribute("width").as_int(80)});
        }
        m_marks.assign(m_columns.size(), SortMark::None);
    }
    return ListView::createChildren(node, builder);
}

void McListView::retranslate() {
    update();
    ListView::retranslate();
}

void McListView::setMcAdapter(McAdapter* adapter) {
    m_mcAdapter = adapter;
    setAdapter(adapter);
}

QString McListView::columnText(int column) const {
    return column >= 0 && column < columnCount() ? m_columns[static_cast<size_t>(column)].text
                                                 : QString();
}

SortMark McListView::sortMark(int column) const {
    return column >= 0 && column < columnCount() ? m_marks[static_cast<size_t>(column)]
                                                 : SortMark::None;
}

QRect McListView::rowsArea() const {
    return rect().adjusted(0, m_headerHeight, 0, 0);
}

void McListView::arrangeRow(ListItem* r) {
    if (!m_mcAdapter) {
        return;
    }
    int x = 0;
    for (int i = 0; i < columnCount(); ++i) {
        const int w = m_columns[static_cast<size_t>(i)].width;
        if (Window* cell = r->findChildByName(m_mcAdapter->columnName(i))) {
            cell->setGeometry(x, 0, w, r->height());
        }
        x += w;
    }
}

void McListView::paint(QPainter& p) {
    paintBackground(p);
    int x = 0;
    p.setFont(font());
    for (int i = 0; i < columnCount(); ++i) {
        const Column& c = m_columns[static_cast<size_t>(i)];
        const QRect r(x, 0, c.width, m_headerHeight);
        p.setPen(QColor(0x8B, 0x93, 0xA7));
        QString t = translate(c.text);
        const SortMark m = m_marks[static_cast<size_t>(i)];
        if (m == SortMark::Up)
            t += QStringLiteral(" \u25B2");
        if (m == SortMark::Down)
            t += QStringLiteral(" \u25BC");
        p.drawText(r.adjusted(8, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   t);
        x += c.width;
    }
    p.setPen(QColor(0x26, 0x2C, 0x38));
    p.drawLine(0, m_headerHeight - 1, width(), m_headerHeight - 1);
}

void McListView::clickHeader(int column) {
    if (column < 0 || column >= columnCount()) {
        return;
    }
    Event e;
    e.id = kEventHeaderClick;
    e.index = column;
    fireEvent(e);
    if (m_mcAdapter && m_mcAdapter->onSort(column, m_marks)) {
        refresh();
    }
    update();
}

void McListView::mousePressEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    if (e->button() == Qt::LeftButton && pt.y() < m_headerHeight) {
        int x = 0;
        for (int i = 0; i < columnCount(); ++i) {
            const int w = m_columns[static_cast<size_t>(i)].width;
            if (pt.x() >= x && pt.x() < x + w) {
                clickHeader(i);
                break;
            }
            x += w;
        }
        e->accept();
        return;
    }
    ListView::mousePressEvent(e);
}

}  // namespace kg::ui
