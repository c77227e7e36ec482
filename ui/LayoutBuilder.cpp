#include "ui/LayoutBuilder.h"

#include <vector>

#include "ui/Toolkit.h"
#include "ui/UiLog.h"
#include "ui/Window.h"

namespace kg::ui {

LayoutBuilder::LayoutBuilder(QString origin, QByteArray text)
    : m_origin(std::move(origin)), m_text(std::move(text)) {}

int LayoutBuilder::line(const pugi::xml_node& node) const {
    const ptrdiff_t offset = node.offset_debug();
    if (offset < 0 || m_text.isEmpty()) {
        return 0;
    }
    return 1 + static_cast<int>(m_text.left(static_cast<qsizetype>(offset)).count('\n'));
}

QString LayoutBuilder::where(const pugi::xml_node& node) const {
    return QStringLiteral("%1:%2: <%3>")
        .arg(m_origin)
        .arg(line(node))
        .arg(QString::fromUtf8(node.name()));
}

void LayoutBuilder::applyAttributes(Window* w, const pugi::xml_node& node) {
    // A stand-in takes the attributes of the class it stands for without comment; that class
    // knows them once it is registered.
    Toolkit* tk = Toolkit::instance();
    const bool standIn = tk && tk->factory().isStandIn(QString::fromUtf8(node.name()));
    // Position and size last: a size left open ("-1") comes from the control's desired size,
    // which depends on its text and skin.
    std::vector<pugi::xml_attribute> ordered;
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const QString n = QString::fromUtf8(a.name()).toLower();
        if (n != QLatin1String("pos") && n != QLatin1String("size")) {
            ordered.push_back(a);
        }
    }
    for (const char* last : {"size", "pos"}) {
        if (pugi::xml_attribute a = node.attribute(last)) {
            ordered.push_back(a);
        }
    }
    for (const pugi::xml_attribute& a : ordered) {
        const QString name = QString::fromUtf8(a.name());
        if (!w->applyAttribute(name, QString::fromUtf8(a.value())) && !standIn) {
            qCWarning(lcUi).noquote()
                << QStringLiteral("%1: attribute %2=\"%3\" is unknown to \"%4\" or malformed")
                       .arg(where(node), name, QString::fromUtf8(a.value()), w->className());
        }
    }
}

Window* LayoutBuilder::build(Window* parent, const pugi::xml_node& node) {
    Toolkit* tk = Toolkit::instance();
    const QString tag = QString::fromUtf8(node.name());
    Window* w = tk ? tk->factory().create(tag) : nullptr;
    if (!w) {
        qCWarning(lcUi).noquote() << QStringLiteral(
                                         "%1: unknown tag \"%2\"; the element is skipped")
                                         .arg(where(node), tag);
        ++m_errors;
        return nullptr;
    }
    w->setParent(parent);
    applyAttributes(w, node);
    if (w->id() == 0 && !w->name().isEmpty() && tk) {
        const int named = tk->namedIds().idOf(w->name());
        if (named >= 0) {
            w->setId(named);
        }
    }
    w->createChildren(node, *this);
    w->onCreate();
    if (!node.attribute("visible") && !node.attribute("show")) {
        w->show();
    }
    return w;
}

bool LayoutBuilder::buildChildren(Window* parent, const pugi::xml_node& node) {
    bool ok = true;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) {
            continue;
        }
        if (!build(parent, c)) {
            ok = false;
        }
    }
    return ok;
}

}  // namespace kg::ui
