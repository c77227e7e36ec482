#pragma once

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

namespace kg::ui {

class Window;

// Builds controls from layout elements through the object factory. Unknown tags and
// unknown attributes are reported with the file and the element's line; the element is
// skipped (its children too), the rest of the layout is built.
class LayoutBuilder {
public:
    // `text` is the layout's source, for line numbers in diagnostics.
    LayoutBuilder(QString origin, QByteArray text);

    // Creates the control of `node`, sets its attributes (giving it the named ID of its name
    // when the element has no "id"), builds its children, then calls onCreate. Null for an
    // unknown tag.
    Window* build(Window* parent, const pugi::xml_node& node);
    // Builds every child element of `node` into `parent`; false when one of them failed.
    bool buildChildren(Window* parent, const pugi::xml_node& node);
    // Sets the attributes of `node` on `w`, reporting unknown ones.
    void applyAttributes(Window* w, const pugi::xml_node& node);

    int line(const pugi::xml_node& node) const;
    QString where(const pugi::xml_node& node) const;
    QString origin() const { return m_origin; }
    int errors() const { return m_errors; }
    void addError() { ++m_errors; }

private:
    QString m_origin;
    QByteArray m_text;
    int m_errors = 0;
};

}  // namespace kg::ui
