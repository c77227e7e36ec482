#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

namespace kg::ui {

class Window;

// Makes controls by layout tag. Every class is registered with its base tag; registering a tag
// that exists keeps the existing class. A class that is not built yet can be registered as a
// stand-in: objects of its base class that answer the class test for its tag.
class ObjectFactory {
public:
    using Creator = std::function<Window*()>;

    ObjectFactory();

    // False (and the existing class kept) when the tag is registered already.
    bool registerClass(const QString& tag, const QString& baseTag, Creator creator);
    template <class T>
    bool registerClass(const QString& baseTag) {
        return registerClass(QLatin1String(T::kClassName), baseTag, [] { return new T; });
    }
    bool registerStandIn(const QString& tag, const QString& baseTag);

    bool isRegistered(const QString& tag) const;
    bool isStandIn(const QString& tag) const;
    // The tag, its base tag, that one's base and so on.
    QStringList tagChain(const QString& tag) const;
    // A new control for the tag (parentless); null for an unknown tag.
    Window* create(const QString& tag) const;

private:
    struct Entry {
        QString tag;
        QString base;
        Creator creator;
        bool standIn = false;
    };
    QHash<QString, Entry> m_classes;  // by lower-case tag
};

}  // namespace kg::ui
