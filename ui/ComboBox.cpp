#include "ui/ComboBox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCursor>
#include <QFocusEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <cstring>

#include "ui/LayoutBuilder.h"
#include "ui/Toolkit.h"
#include "ui/UiLog.h"

namespace kg::ui {

namespace {

QColor themeColor(const char* name, const QColor& fallback) {
    Toolkit* tk = Toolkit::instance();
    const QColor c = tk ? tk->color(QString::fromLatin1(name)) : QColor();
    return c.isValid() ? c : fallback;
}

// The box itself. The open list covers it, so when the list closes with the pointer elsewhere
// the box never hears that the pointer left: it would keep its hover border until the pointer
// comes back and leaves again.
class DropDown final : public QComboBox {
public:
    explicit DropDown(QWidget* parent) : QComboBox(parent) {}

    void hidePopup() override {
        QComboBox::hidePopup();
        if (rect().contains(mapFromGlobal(QCursor::pos()))) {
            return;
        }
        setAttribute(Qt::WA_UnderMouse, false);
        if (auto* owner = qobject_cast<Window*>(parentWidget())) {
            owner->modifyState(0, Window::kStateHover);
        }
        update();
    }
};

// The open list marks the selected item (a bar in the accent colour and a bold text) whichever
// item the pointer is over.
class SelectedItemMark final : public QStyledItemDelegate {
public:
    explicit SelectedItemMark(QComboBox& box) : QStyledItemDelegate(&box), m_box(box) {}

    static constexpr int kRowHeight = 28;
    static constexpr int kBarLeft = 4;
    static constexpr int kBarWidth = 3;
    static constexpr int kTextIndent = 14;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize s = QStyledItemDelegate::sizeHint(option, index);
        return QSize(s.width() + kTextIndent, qMax(s.height(), kRowHeight));
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem o(option);
        initStyleOption(&o, index);
        const bool selected = index.row() == m_box.currentIndex();
        p->save();
        if (o.state & (QStyle::State_Selected | QStyle::State_MouseOver)) {
            p->fillRect(option.rect, themeColor("selection", QColor(0x1F, 0x3A, 0x4A)));
        }
        QFont font = o.font;
        font.setBold(selected);
        p->setFont(font);
        p->setPen(themeColor("text", QColor(0xE6, 0xE9, 0xEF)));
        p->drawText(option.rect.adjusted(kTextIndent, 0, -8, 0),
                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, o.text);
        if (selected) {
            p->fillRect(QRect(option.rect.left() + kBarLeft, option.rect.top() + 6, kBarWidth,
                              option.rect.height() - 12),
                        themeColor("accent", QColor(0x35, 0xC8, 0xFF)));
        }
        p->restore();
    }

private:
    QComboBox& m_box;
};

}  // namespace

ComboBox::ComboBox(QWidget* parent) : Window(parent), m_combo(new DropDown(this)) {
    m_combo->setItemDelegate(new SelectedItemMark(*m_combo));
    m_combo->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_combo);
    m_combo->installEventFilter(this);
    m_combo->setStyleSheet(QStringLiteral(
        "QComboBox{background:#0C0F14;color:#E6E9EF;border:1px solid #2A3140;border-radius:6px;"
        "padding:0 10px;}"
        "QComboBox:hover{border-color:#35C8FF;}"
        "QComboBox[kgFocusMark=\"true\"]{border:2px solid #35C8FF;padding:0 9px;}"
        "QComboBox:disabled{color:#4A5263;}"
        "QComboBox::drop-down{border:none;width:24px;}"
        "QComboBox::down-arrow{image:url(:/kg_ui/arrow_down.png);width:12px;height:12px;}"
        "QComboBox QAbstractItemView{background:#161A22;color:#E6E9EF;border:1px solid #2A3140;"
        "selection-background-color:#1F3A4A;selection-color:#FFFFFF;outline:0;}"));
    connect(m_combo, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_quiet) {
            return;
        }
        const int old = m_lastSel;
        m_lastSel = index;
        if (old != index) {
            raiseSelChanged(old, index);
        }
    });
}

bool ComboBox::applyAttribute(const QString& name, const QString& value) {
    const QString a = name.toLower();
    if (a == QLatin1String("cursel")) {
        m_initialSel = parseInt(value, -1);
    } else if (a == QLatin1String("cuetext")) {
        Toolkit* tk = Toolkit::instance();
        setCueText(tk ? tk->resolveString(value) : value);
    } else if (a == QLatin1String("dropheight") || a == QLatin1String("dropdown")) {
        m_combo->setMaxVisibleItems(qMax(1, parseInt(value, 300) / 28));
    } else if (a == QLatin1String("font")) {
        Window::applyAttribute(name, value);
        m_combo->setFont(font());
    } else {
        return Window::applyAttribute(name, value);
    }
    return true;
}

bool ComboBox::createChildren(const pugi::xml_node& node, LayoutBuilder& builder) {
    Toolkit* tk = Toolkit::instance();
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) {
            continue;
        }
        if (std::strcmp(c.name(), "items") != 0) {
            qCWarning(lcUi).noquote() << builder.where(c) << "is not expected inside a combobox";
            continue;
        }
        for (pugi::xml_node item = c.child("item"); item; item = item.next_sibling("item")) {
            const QString t = QString::fromUtf8(item.attribute("text").value());
            addItem(tk ? tk->resolveString(t) : t, item.attribute("data").as_llong(0));
        }
    }
    return true;
}

void ComboBox::onCreate() {
    m_quiet = true;
    m_combo->setCurrentIndex(m_initialSel >= 0 && m_initialSel < count() ? m_initialSel : -1);
    m_lastSel = m_combo->currentIndex();
    m_quiet = false;
}

void ComboBox::setCueText(const QString& source) {
    m_cueSource = source;
    m_combo->setPlaceholderText(translate(source));
}

bool ComboBox::eventFilter(QObject* watched, QEvent* e) {
    if (watched != m_combo) {
        return Window::eventFilter(watched, e);
    }
    switch (e->type()) {
        case QEvent::Wheel:
            // Only a box the user is working with takes the wheel; otherwise it goes nowhere.
            if (!m_combo->hasFocus()) {
                e->ignore();
                return true;
            }
            break;
        case QEvent::FocusIn:
        case QEvent::FocusOut: {
            // The same rule as every control: the mark shows for the keyboard's focus.
            const auto* fe = static_cast<QFocusEvent*>(e);
            const bool mark = e->type() == QEvent::FocusIn && fe->reason() != Qt::MouseFocusReason;
            // The open list takes the focus and gives it back: the mark stays as it was.
            const bool keep = fe->reason() == Qt::PopupFocusReason;
            if (!keep) {
                modifyState(mark ? kStateFocus : 0, mark ? 0 : kStateFocus);
                m_combo->setProperty("kgFocusMark", mark);
                m_combo->style()->unpolish(m_combo);
                m_combo->style()->polish(m_combo);
            }
            break;
        }
        default:
            break;
    }
    return Window::eventFilter(watched, e);
}

void ComboBox::retranslate() {
    for (int i = 0; i < m_sources.size() && i < m_combo->count(); ++i) {
        m_combo->setItemText(i, translate(m_sources[i]));
    }
    if (!m_cueSource.isEmpty()) {
        m_combo->setPlaceholderText(translate(m_cueSource));
    }
    Window::retranslate();
}

void ComboBox::paintText(QPainter&) {}

int ComboBox::count() const {
    return m_combo->count();
}

int ComboBox::curSel() const {
    return m_combo->currentIndex();
}

bool ComboBox::setCurSel(int index, bool notify) {
    if (index < -1 || index >= count()) {
        return false;
    }
    const int old = m_combo->currentIndex();
    m_quiet = true;
    m_combo->setCurrentIndex(index);
    m_lastSel = index;
    m_quiet = false;
    if (notify && old != index) {
        raiseSelChanged(old, index);
    }
    return true;
}

int ComboBox::addItem(const QString& source, intptr_t data) {
    m_quiet = true;
    m_sources.append(source);
    m_combo->addItem(translate(source), QVariant::fromValue<qlonglong>(data));
    // Adding to an empty box must not select the first item by itself.
    if (m_combo->currentIndex() != m_lastSel) {
        m_combo->setCurrentIndex(m_lastSel);
    }
    m_quiet = false;
    return count() - 1;
}

bool ComboBox::insertItem(int index, const QString& source, intptr_t data) {
    if (index < 0 || index > count()) {
        return false;
    }
    m_quiet = true;
    m_sources.insert(index, source);
    m_combo->insertItem(index, translate(source), QVariant::fromValue<qlonglong>(data));
    m_lastSel = m_combo->currentIndex();
    m_quiet = false;
    return true;
}

bool ComboBox::deleteItem(int index) {
    if (index < 0 || index >= count()) {
        return false;
    }
    m_quiet = true;
    m_sources.removeAt(index);
    m_combo->removeItem(index);
    m_lastSel = m_combo->currentIndex();
    m_quiet = false;
    return true;
}

void ComboBox::clear() {
    m_quiet = true;
    m_sources.clear();
    m_combo->clear();
    m_lastSel = -1;
    m_quiet = false;
}

QString ComboBox::itemText(int index) const {
    return index >= 0 && index < m_sources.size() ? m_sources[index] : QString();
}

intptr_t ComboBox::itemData(int index) const {
    return index >= 0 && index < count()
               ? static_cast<intptr_t>(m_combo->itemData(index).toLongLong())
               : 0;
}

void ComboBox::raiseSelChanged(int oldSel, int newSel) {
    Event e;
    e.id = kEventSelChanged;
    e.oldSel = oldSel;
    e.newSel = newSel;
    fireEvent(e);
}

void ComboBox::resizeEvent(QResizeEvent* e) {
    m_combo->setGeometry(rect());
    Window::resizeEvent(e);
}

}  // namespace kg::ui
