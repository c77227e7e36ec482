#include "ui/ResourceProvider.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "ui/UiLog.h"

namespace kg::ui {

bool ResourceProvider::split(const QString& typeAndName, QString* type, QString* name) {
    const qsizetype colon = typeAndName.indexOf(QLatin1Char(':'));
    if (colon <= 0) {
        return false;
    }
    if (type) {
        *type = typeAndName.left(colon);
    }
    if (name) {
        *name = typeAndName.mid(colon + 1);
    }
    return true;
}

QString ResourceProvider::key(const QString& type, const QString& name) {
    return (type + QLatin1Char(':') + name).toLower();
}

bool ResourceProvider::openFolder(const QString& folder) {
    m_folder = QDir::cleanPath(folder);
    const QString indexPath = m_folder + QStringLiteral("/uires.idx");
    QFile file(indexPath);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcUi) << "resource index" << indexPath << "cannot be read";
        return false;
    }
    m_index.clear();
    m_pixmaps.clear();
    return readIndex(file.readAll(), m_folder, indexPath, m_index);
}

bool ResourceProvider::addEmbedded(const QString& qrcFolder, const QString& indexName) {
    const QString indexPath = qrcFolder + QLatin1Char('/') + indexName;
    QFile file(indexPath);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcUi) << "embedded resource index" << indexPath << "is missing";
        return false;
    }
    return readIndex(file.readAll(), qrcFolder, indexPath, m_embedded);
}

bool ResourceProvider::readIndex(const QByteArray& text, const QString& base, const QString& origin,
                                 QHash<QString, QString>& into) {
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(text.constData(), text.size());
    if (!parsed) {
        qCWarning(lcUi) << "resource index" << origin << "is malformed:" << parsed.description()
                        << "at offset" << parsed.offset;
        return false;
    }
    const pugi::xml_node root = doc.child("resource");
    if (!root) {
        qCWarning(lcUi) << "resource index" << origin << "has no <resource> root element";
        return false;
    }
    for (pugi::xml_node type = root.first_child(); type; type = type.next_sibling()) {
        if (type.type() != pugi::node_element) {
            continue;
        }
        const QString typeName = QString::fromUtf8(type.name());
        for (pugi::xml_node file = type.child("file"); file; file = file.next_sibling("file")) {
            const QString name = QString::fromUtf8(file.attribute("name").value());
            const QString path = QString::fromUtf8(file.attribute("path").value());
            if (name.isEmpty() || path.isEmpty()) {
                qCWarning(lcUi) << "resource index" << origin << ": a <file> under <" << typeName
                                << "> lacks name or path";
                continue;
            }
            const QString k = key(typeName, name);
            if (!into.contains(k)) {
                into.insert(k, base + QLatin1Char('/') + QString(path).replace('\\', '/'));
            }
        }
    }
    return true;
}

bool ResourceProvider::has(const QString& typeAndName) const {
    const QString k = typeAndName.toLower();
    return m_index.contains(k) || m_embedded.contains(k);
}

QString ResourceProvider::filePath(const QString& typeAndName) const {
    // The folder before the executable: the program's own message box replaces the built-in one.
    const QString k = typeAndName.toLower();
    const auto it = m_index.constFind(k);
    return it != m_index.constEnd() ? *it : m_embedded.value(k);
}

bool ResourceProvider::load(const QString& typeAndName, QByteArray* out) const {
    const QString path = filePath(typeAndName);
    if (path.isEmpty()) {
        qCWarning(lcUi) << "resource" << typeAndName << "is not in the resource index";
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcUi) << "resource" << typeAndName << ": file" << path << "cannot be read";
        return false;
    }
    if (out) {
        *out = file.readAll();
    }
    return true;
}

bool ResourceProvider::loadXml(const QString& typeAndName, pugi::xml_document& doc,
                               QByteArray* text, QString* origin) const {
    QByteArray bytes;
    if (!load(typeAndName, &bytes)) {
        return false;
    }
    const QString path = filePath(typeAndName);
    if (origin) {
        *origin = path;
    }
    if (!parseXml(bytes, doc, path, typeAndName)) {
        return false;
    }
    if (text) {
        *text = bytes;
    }
    return true;
}

bool ResourceProvider::parseXml(const QByteArray& text, pugi::xml_document& doc,
                                const QString& origin, const QString& resource) {
    const pugi::xml_parse_result parsed = doc.load_buffer(text.constData(), text.size());
    if (!parsed) {
        // Count the lines up to the error so the diagnostic points into the file.
        const int line = 1 + static_cast<int>(text.left(parsed.offset).count('\n'));
        qCWarning(lcUi).noquote() << QStringLiteral("%1:%2: malformed XML%3: %4")
                                         .arg(origin)
                                         .arg(line)
                                         .arg(resource.isEmpty()
                                                  ? QString()
                                                  : QStringLiteral(" in ") + resource,
                                              QString::fromUtf8(parsed.description()));
        return false;
    }
    return true;
}

QPixmap ResourceProvider::pixmap(const QString& typeAndName) const {
    const QString k = typeAndName.toLower();
    auto it = m_pixmaps.constFind(k);
    if (it != m_pixmaps.constEnd()) {
        return *it;
    }
    QPixmap pm;
    const QString path = filePath(typeAndName);
    if (path.isEmpty()) {
        if (!m_reported.value(k)) {
            qCWarning(lcUi) << "image" << typeAndName << "is not in the resource index";
        }
    } else if (!pm.load(path)) {
        if (!m_reported.value(k)) {
            qCWarning(lcUi) << "image" << typeAndName << ": file" << path
                            << "is missing or not an image";
        }
    }
    m_reported.insert(k, true);
    // A missing image is remembered as null: it draws nothing and is reported once.
    m_pixmaps.insert(k, pm);
    return pm;
}

}  // namespace kg::ui
