#include "ui/Toolkit.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <algorithm>
#include <cstring>

#include <pugixml.hpp>

#include "ui/HostWnd.h"
#include "ui/UiLog.h"

namespace kg::ui {

namespace {
Toolkit* g_instance = nullptr;

Skin::Kind skinKind(const char* tag, bool* ok) {
    *ok = true;
    if (std::strcmp(tag, "imglist") == 0)
        return Skin::Kind::ImageList;
    if (std::strcmp(tag, "imgframe") == 0)
        return Skin::Kind::ImageFrame;
    if (std::strcmp(tag, "colorrect") == 0)
        return Skin::Kind::ColorRect;
    *ok = false;
    return Skin::Kind::ImageList;
}

QMargins parseMargins(const QString& v) {
    const QStringList p = v.split(QLatin1Char(','));
    if (p.size() == 1) {
        const int m = p[0].trimmed().toInt();
        return QMargins(m, m, m, m);
    }
    if (p.size() == 4) {
        return QMargins(p[0].trimmed().toInt(), p[1].trimmed().toInt(), p[2].trimmed().toInt(),
                        p[3].trimmed().toInt());
    }
    return {};
}
}  // namespace

Toolkit::Toolkit() {
    g_instance = this;
    m_resources.addEmbedded(QStringLiteral(":/kg_ui"), QStringLiteral("sys.idx"));
}

Toolkit::~Toolkit() {
    if (g_instance == this) {
        g_instance = nullptr;
    }
}

Toolkit* Toolkit::instance() {
    return g_instance;
}

bool Toolkit::installLanguage(const QString& resource) {
    return loadResource(resource, &Toolkit::installLanguageBuffer);
}

bool Toolkit::installLanguageBuffer(const QByteArray& text, const QString& origin) {
    pugi::xml_document doc;
    if (!ResourceProvider::parseXml(text, doc, origin)) {
        return false;
    }
    std::shared_ptr<Language> language = m_translator.createLanguage();
    if (!language->load(doc.child("language"))) {
        return false;
    }
    m_translator.setCurrentLanguage(language->name());
    m_translator.install(std::move(language));
    return true;
}

bool Toolkit::loadResource(const QString& resource,
                           bool (Toolkit::*reader)(const QByteArray&, const QString&)) {
    QByteArray text;
    if (!m_resources.load(resource, &text)) {
        return false;
    }
    const QString path = m_resources.filePath(resource);
    return (this->*reader)(text, path.isEmpty() ? resource : path);
}

bool Toolkit::loadUiDef(const QString& resource) {
    pugi::xml_document doc;
    QString origin;
    if (!m_resources.loadXml(resource, doc, nullptr, &origin)) {
        return false;
    }
    const pugi::xml_node root = doc.child("uidef");
    if (!root) {
        qCWarning(lcUi) << "UI definition" << resource << "(" << origin << ") has no <uidef> root";
        return false;
    }
    bool ok = true;
    if (const pugi::xml_node font = root.child("font")) {
        const QString face = QString::fromUtf8(font.attribute("face").value());
        if (!face.isEmpty()) {
            m_fontFamily = face;
        }
        m_fontSize = font.attribute("size").as_int(m_fontSize);
        if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QFont f = QGuiApplication::font();
            if (!m_fontFamily.isEmpty()) {
                // Families in order of preference; the CJK one after a Latin one.
                f.setFamilies(m_fontFamily.split(QLatin1Char(';')));
            }
            f.setPixelSize(m_fontSize);
            QGuiApplication::setFont(f);
            Q_UNUSED(app);
        }
    }
    const auto src = [&](const char* tag) {
        return QString::fromUtf8(root.child(tag).attribute("src").value());
    };
    if (!src("string").isEmpty())
        ok = loadResource(src("string"), &Toolkit::loadStringsBuffer) && ok;
    if (!src("color").isEmpty())
        ok = loadResource(src("color"), &Toolkit::loadColorsBuffer) && ok;
    if (!src("skin").isEmpty())
        ok = loadResource(src("skin"), &Toolkit::loadSkinsBuffer) && ok;
    return ok;
}

bool Toolkit::loadStringsBuffer(const QByteArray& text, const QString& origin) {
    pugi::xml_document doc;
    if (!ResourceProvider::parseXml(text, doc, origin)) {
        return false;
    }
    m_strings.clear();
    const pugi::xml_node root = doc.document_element();
    for (pugi::xml_node e = root.first_child(); e; e = e.next_sibling()) {
        if (e.type() == pugi::node_element) {
            m_strings.emplace_back(QString::fromUtf8(e.name()),
                                   QString::fromUtf8(e.attribute("value").value()));
        }
    }
    // Ordinal order of the wide characters: upper case before "_", "_" before lower case.
    std::stable_sort(m_strings.begin(), m_strings.end(), [](const auto& a, const auto& b) {
        return QString::compare(a.first, b.first) < 0;
    });
    return true;
}

bool Toolkit::loadColorsBuffer(const QByteArray& text, const QString& origin) {
    pugi::xml_document doc;
    if (!ResourceProvider::parseXml(text, doc, origin)) {
        return false;
    }
    const pugi::xml_node root = doc.document_element();
    for (pugi::xml_node e = root.first_child(); e; e = e.next_sibling()) {
        if (e.type() != pugi::node_element) {
            continue;
        }
        bool ok = false;
        const QColor c = parseColor(QString::fromUtf8(e.attribute("value").value()), &ok);
        if (!ok) {
            qCWarning(lcUi) << "colour" << e.name() << "in" << origin << "is malformed";
            continue;
        }
        m_colors.insert(QString::fromUtf8(e.name()).toLower(), c);
    }
    return true;
}

bool Toolkit::loadSkinsBuffer(const QByteArray& text, const QString& origin) {
    pugi::xml_document doc;
    if (!ResourceProvider::parseXml(text, doc, origin)) {
        return false;
    }
    const pugi::xml_node root = doc.document_element();
    for (pugi::xml_node e = root.first_child(); e; e = e.next_sibling()) {
        if (e.type() != pugi::node_element) {
            continue;
        }
        bool known = false;
        auto s = std::make_unique<Skin>();
        s->kind = skinKind(e.name(), &known);
        s->name = QString::fromUtf8(e.attribute("name").value());
        if (!known || s->name.isEmpty()) {
            qCWarning(lcUi) << "skin element" << e.name() << "in" << origin
                            << "is unknown or has no name";
            continue;
        }
        s->states = e.attribute("states").as_int(1);
        s->vertical = e.attribute("vertical").as_bool(false);
        s->tile = e.attribute("tile").as_bool(false);
        s->radius = e.attribute("radius").as_int(0);
        if (e.attribute("margin")) {
            s->margins = parseMargins(QString::fromUtf8(e.attribute("margin").value()));
        }
        if (s->kind == Skin::Kind::ColorRect) {
            for (const char* st : {"normal", "hover", "pushdown", "disable"}) {
                if (e.attribute(st)) {
                    s->colors.push_back(parseColor(QString::fromUtf8(e.attribute(st).value())));
                }
            }
            s->states = s->colors.isEmpty() ? 1 : static_cast<int>(s->colors.size());
            if (e.attribute("border")) {
                s->border = parseColor(QString::fromUtf8(e.attribute("border").value()));
            }
        } else {
            s->source = QString::fromUtf8(e.attribute("src").value());
            // A missing image is reported by the provider and leaves the skin drawing nothing.
            s->image = m_resources.pixmap(s->source);
        }
        addSkin(std::move(s));
    }
    return true;
}

void Toolkit::addSkin(std::unique_ptr<Skin> skin) {
    if (skin) {
        const QString key = skin->name.toLower();
        m_skins.insert(key, std::shared_ptr<Skin>(std::move(skin)));
    }
}

const Skin* Toolkit::skin(const QString& name) const {
    const auto it = m_skins.constFind(name.toLower());
    return it == m_skins.constEnd() ? nullptr : it->get();
}

const Skin* Toolkit::findSkin(const QString& value) {
    if (const Skin* s = skin(value)) {
        return s;
    }
    return value.contains(QLatin1Char(':')) ? imageSkin(value) : nullptr;
}

const Skin* Toolkit::imageSkin(const QString& resource, int states) {
    const QString key = QStringLiteral("%1#%2").arg(resource.toLower()).arg(states);
    if (const Skin* s = skin(key)) {
        return s;
    }
    auto s = std::make_unique<Skin>();
    s->name = key;
    s->source = resource;
    s->states = states;
    s->image = m_resources.pixmap(resource);
    const Skin* raw = s.get();
    addSkin(std::move(s));
    return raw;
}

QString Toolkit::stringAt(int index) const {
    if (index < 0 || index >= stringCount()) {
        return {};
    }
    return m_strings[static_cast<size_t>(index)].second;
}

QString Toolkit::stringNameAt(int index) const {
    if (index < 0 || index >= stringCount()) {
        return {};
    }
    return m_strings[static_cast<size_t>(index)].first;
}

QString Toolkit::string(const QString& name) const {
    for (const auto& [n, v] : m_strings) {
        if (n == name) {
            return v;
        }
    }
    return {};
}

QString Toolkit::resolveString(const QString& value) const {
    if (value.startsWith(QLatin1String("@string/"))) {
        const QString n = value.mid(8);
        for (const auto& [k, v] : m_strings) {
            if (k == n) {
                return v;
            }
        }
        qCWarning(lcUi) << "named string" << n << "is not defined";
    }
    return value;
}

QColor Toolkit::parseColor(const QString& value, bool* ok) const {
    const QString v = value.trimmed();
    QColor c;
    if (v.startsWith(QLatin1String("@color/"))) {
        c = color(v.mid(7));
    } else if (v.startsWith(QLatin1Char('#'))) {
        const QString hex = v.mid(1);
        bool good = false;
        const uint n = hex.toUInt(&good, 16);
        if (good && hex.size() == 6) {
            c = QColor::fromRgb((n >> 16) & 0xFF, (n >> 8) & 0xFF, n & 0xFF);
        } else if (good && hex.size() == 8) {
            c = QColor::fromRgb((n >> 24) & 0xFF, (n >> 16) & 0xFF, (n >> 8) & 0xFF, n & 0xFF);
        } else if (good && hex.size() == 3) {
            c = QColor::fromRgb(((n >> 8) & 0xF) * 17, ((n >> 4) & 0xF) * 17, (n & 0xF) * 17);
        }
    } else if (v.startsWith(QLatin1String("rgb"), Qt::CaseInsensitive)) {
        const qsizetype open = v.indexOf(QLatin1Char('('));
        const qsizetype close = v.indexOf(QLatin1Char(')'));
        const QStringList p = v.mid(open + 1, close - open - 1).split(QLatin1Char(','));
        if (open > 0 && close > open && (p.size() == 3 || p.size() == 4)) {
            c = QColor::fromRgb(p[0].trimmed().toInt(), p[1].trimmed().toInt(),
                                p[2].trimmed().toInt(),
                                p.size() == 4 ? p[3].trimmed().toInt() : 255);
        }
    }
    if (ok) {
        *ok = c.isValid();
    }
    return c;
}

int Toolkit::run(HostWnd* mainWindow) {
    if (mainWindow) {
        m_mainWindow = mainWindow;
    }
    if (m_quitPending) {
        // quit() came before the loop: the loop ends at once with that value, as a quit
        // message waiting in the queue would make it.
        m_quitPending = false;
        return m_quitCode;
    }
    if (m_mainWindow && m_mainWindow->isDestroyed()) {
        return 0;
    }
    m_running = true;
    const int code = QCoreApplication::exec();
    m_running = false;
    return code;
}

void Toolkit::quit(int exitCode) {
    if (m_running) {
        QCoreApplication::exit(exitCode);
    } else {
        m_quitPending = true;
        m_quitCode = exitCode;
    }
}

}  // namespace kg::ui
