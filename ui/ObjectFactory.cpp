#include "ui/ObjectFactory.h"

#include "ui/ComboBox.h"
#include "ui/Controls.h"
#include "ui/Edit.h"
#include "ui/ListView.h"
#include "ui/SliderBar.h"
#include "ui/TabCtrl.h"
#include "ui/UiLog.h"
#include "ui/Window.h"

namespace kg::ui {

ObjectFactory::ObjectFactory() {
    registerClass(QStringLiteral("window"), QString(), [] { return new Window; });
    registerClass<Text>(QStringLiteral("window"));
    registerClass<Button>(QStringLiteral("window"));
    registerClass<ImageButton>(QStringLiteral("button"));
    registerClass<CheckBox>(QStringLiteral("button"));
    registerClass<RadioBox>(QStringLiteral("check"));
    registerClass<Edit>(QStringLiteral("window"));
    registerClass<ComboBox>(QStringLiteral("window"));
    registerClass<SliderBar>(QStringLiteral("window"));
    registerClass<TabCtrl>(QStringLiteral("window"));
    registerClass<TabPage>(QStringLiteral("window"));
    registerClass<ListView>(QStringLiteral("window"));
    registerClass<McListView>(QStringLiteral("listview"));
}

bool ObjectFactory::registerClass(const QString& tag, const QString& baseTag, Creator creator) {
    const QString key = tag.toLower();
    if (key.isEmpty() || !creator || m_classes.contains(key)) {
        return false;
    }
    m_classes.insert(key, Entry{tag, baseTag, std::move(creator), false});
    return true;
}

bool ObjectFactory::registerStandIn(const QString& tag, const QString& baseTag) {
    const QString key = tag.toLower();
    const auto base = m_classes.constFind(baseTag.toLower());
    if (key.isEmpty() || m_classes.contains(key) || base == m_classes.constEnd()) {
        return false;
    }
    m_classes.insert(key, Entry{tag, baseTag, base->creator, true});
    return true;
}

bool ObjectFactory::isRegistered(const QString& tag) const {
    return m_classes.contains(tag.toLower());
}

bool ObjectFactory::isStandIn(const QString& tag) const {
    const auto it = m_classes.constFind(tag.toLower());
    return it != m_classes.constEnd() && it->standIn;
}

QStringList ObjectFactory::tagChain(const QString& tag) const {
    QStringList chain;
    QString t = tag;
    // The chain is short; the bound only guards against a registration cycle.
    for (int guard = 0; guard < 32 && !t.isEmpty(); ++guard) {
        const auto it = m_classes.constFind(t.toLower());
        if (it == m_classes.constEnd() || chain.contains(it->tag, Qt::CaseInsensitive)) {
            break;
        }
        chain.append(it->tag);
        t = it->base;
    }
    return chain;
}

Window* ObjectFactory::create(const QString& tag) const {
    const auto it = m_classes.constFind(tag.toLower());
    if (it == m_classes.constEnd()) {
        return nullptr;
    }
    Window* w = it->creator();
    if (w) {
        w->setFactoryTags(tagChain(tag));
    }
    return w;
}

}  // namespace kg::ui
