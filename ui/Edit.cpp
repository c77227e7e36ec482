#include "ui/Edit.h"

#include <QEvent>
#include <QLineEdit>

#include "ui/Toolkit.h"

namespace kg::ui {

Edit::Edit(QWidget* parent) : Window(parent), m_edit(new QLineEdit(this)) {
    m_edit->setFrame(false);
    m_edit->installEventFilter(this);
    connect(m_edit, &QLineEdit::textChanged, this, [this](const QString& t) {
        Window::setText(t);
        Event e;
        e.id = kEventTextChanged;
        e.text = t;
        fireEvent(e);
    });
    restyle();
}

void Edit::restyle() {
    Toolkit* tk = Toolkit::instance();
    QColor text = textColor();
    QColor sel = tk ? tk->color(QStringLiteral("accent")) : QColor();
    if (!sel.isValid())
        sel = QColor(0x35, 0xC8, 0xFF);
    m_edit->setStyleSheet(QStringLiteral("QLineEdit{background:transparent;color:%1;border:none;"
                                         "selection-background-color:%2;padding:0 6px;}"
                                         "QLineEdit:disabled{color:#4A5263;}")
                              .arg(text.name(QColor::HexArgb), sel.name()));
}

bool Edit::applyAttribute(const QString& name, const QString& value) {
    const QString a = name.toLower();
    if (a == QLatin1String("readonly")) {
        m_edit->setReadOnly(parseBool(value));
    } else if (a == QLatin1String("maxlength") || a == QLatin1String("maxbuf")) {
        m_edit->setMaxLength(parseInt(value, 32767));
    } else if (a == QLatin1String("password")) {
        m_edit->setEchoMode(parseBool(value) ? QLineEdit::Password : QLineEdit::Normal);
    } else if (a == QLatin1String("number")) {
        if (parseBool(value)) {
            m_edit->setInputMask(QString());
            m_edit->setValidator(nullptr);
        }
    } else if (a == QLatin1String("cuetext") || a == QLatin1String("placeholder")) {
        Toolkit* tk = Toolkit::instance();
        m_placeholder = tk ? tk->resolveString(value) : value;
        m_edit->setPlaceholderText(translate(m_placeholder));
    } else if (a == QLatin1String("text")) {
        setText(value);
    } else if (a == QLatin1String("colortext")) {
        const bool ok = Window::applyAttribute(name, value);
        restyle();
        return ok;
    } else if (a == QLatin1String("align")) {
        Window::applyAttribute(name, value);
        m_edit->setAlignment(Qt::Alignment(textAlign()));
    } else if (a == QLatin1String("font")) {
        Window::applyAttribute(name, value);
        m_edit->setFont(font());
    } else {
        return Window::applyAttribute(name, value);
    }
    return true;
}

void Edit::setText(const QString& text) {
    // The line edit's change signal stores it as the window text as well.
    if (m_edit->text() == text) {
        Window::setText(text);
    }
    m_edit->setText(text);
}

void Edit::paintText(QPainter&) {}

QString Edit::editText() const {
    return m_edit->text();
}

void Edit::retranslate() {
    if (!m_placeholder.isEmpty()) {
        m_edit->setPlaceholderText(translate(m_placeholder));
    }
    Window::retranslate();
}

bool Edit::filterEditEvent(QEvent*) {
    return false;
}

bool Edit::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_edit && filterEditEvent(e)) {
        return true;
    }
    return Window::eventFilter(watched, e);
}

void Edit::resizeEvent(QResizeEvent* e) {
    m_edit->setGeometry(rect());
    Window::resizeEvent(e);
}

void Edit::changeEvent(QEvent* e) {
    Window::changeEvent(e);
}

}  // namespace kg::ui
