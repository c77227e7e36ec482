#pragma once

#include <QByteArray>
#include <QHash>
#include <QPixmap>
#include <QString>

#include <pugixml.hpp>

namespace kg::ui {

// Resources addressed as "type:name" (compared without regard to case), read from a folder
// with its index "uires.idx" and, after it, from the executable's own resources.
//
// The index is XML: root `resource`, one child element per type (the element name is the
// type), under it `file` elements with `name` and `path` (relative to the folder).
class ResourceProvider {
public:
    // Reads the folder's index; false (with a diagnostic) when it is missing or malformed.
    bool openFolder(const QString& folder);
    // Adds an index inside the Qt resource system (":/prefix/sys.idx"); searched after the
    // folders.
    bool addEmbedded(const QString& qrcFolder, const QString& indexName);

    bool has(const QString& typeAndName) const;
    // The file behind a resource; empty when the resource is unknown.
    QString filePath(const QString& typeAndName) const;
    // Reads a resource; false (with a diagnostic) when it is unknown or cannot be read.
    bool load(const QString& typeAndName, QByteArray* out) const;
    // Parses an XML resource; `origin` receives the file name for diagnostics.
    bool loadXml(const QString& typeAndName, pugi::xml_document& doc, QByteArray* text = nullptr,
                 QString* origin = nullptr) const;
    // An image resource, cached; a null pixmap (after one diagnostic) when it is missing.
    QPixmap pixmap(const QString& typeAndName) const;
    // Parses XML text as the resources are parsed; false (with a diagnostic naming `origin`, the
    // line and `resource`) when it is malformed.
    static bool parseXml(const QByteArray& text, pugi::xml_document& doc, const QString& origin,
                         const QString& resource = QString());

    QString folder() const { return m_folder; }
    int count() const { return static_cast<int>(m_index.size() + m_embedded.size()); }

    // Splits "type:name"; false when there is no colon.
    static bool split(const QString& typeAndName, QString* type, QString* name);
    static QString key(const QString& type, const QString& name);

private:
    bool readIndex(const QByteArray& text, const QString& base, const QString& origin,
                   QHash<QString, QString>& into);

    QString m_folder;
    QHash<QString, QString> m_index;     // the folder: lower-case "type:name" -> file path
    QHash<QString, QString> m_embedded;  // the executable's own, asked after the folder
    mutable QHash<QString, QPixmap> m_pixmaps;
    mutable QHash<QString, bool> m_reported;
};

}  // namespace kg::ui
