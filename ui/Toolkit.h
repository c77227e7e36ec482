#pragma once

#include <QColor>
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

#include "ui/NamedIds.h"
#include "ui/ObjectFactory.h"
#include "ui/ResourceProvider.h"
#include "ui/Skin.h"
#include "ui/Translator.h"

namespace kg::ui {

class HostWnd;

// The application object of the toolkit layer: resources, the named-ID table, the named
// strings, colours and skins of the UI definition, the translator, the object factory and the
// message loop. One exists while the program runs (it needs a QApplication); windows reach it
// through Toolkit::instance().
class Toolkit {
public:
    Toolkit();
    ~Toolkit();
    Toolkit(const Toolkit&) = delete;
    Toolkit& operator=(const Toolkit&) = delete;

    // The live toolkit; null when none exists.
    static Toolkit* instance();

    ResourceProvider& resources() { return m_resources; }
    const ResourceProvider& resources() const { return m_resources; }
    NamedIds& namedIds() { return m_namedIds; }
    const NamedIds& namedIds() const { return m_namedIds; }
    Translator& translator() { return m_translator; }
    const Translator& translator() const { return m_translator; }
    ObjectFactory& factory() { return m_factory; }
    const ObjectFactory& factory() const { return m_factory; }

    // Loads the UI definition (e.g. "uidef:xml_init"):
    //   <uidef><string src="values:string"/><color src="values:color"/><skin src="values:skin"/>
    //   <font face="..." size="13"/></uidef>
    bool loadUiDef(const QString& resource);

    // Named strings, sorted by name in ordinal order.
    int stringCount() const { return static_cast<int>(m_strings.size()); }
    QString stringAt(int index) const;  // empty when out of range
    QString stringNameAt(int index) const;
    QString string(const QString& name) const;
    // Named colours.
    QColor color(const QString& name) const { return m_colors.value(name.toLower()); }
    // The skin pool.
    const Skin* skin(const QString& name) const;
    // A skin made on demand for an image resource named directly ("main:xxx_png").
    const Skin* imageSkin(const QString& resource, int states = 1);
    // What a layout's skin attribute names: a skin of the pool, else an image resource named
    // directly. Null when it is neither.
    const Skin* findSkin(const QString& value);
    void addSkin(std::unique_ptr<Skin> skin);

    // Attribute values: "@string/name" gives a named string; "@color/name" a named colour.
    QString resolveString(const QString& value) const;
    // "#RGB", "#RRGGBB", "#RRGGBBAA", "rgb(r,g,b)", "rgba(r,g,b,a)" or "@color/name".
    QColor parseColor(const QString& value, bool* ok = nullptr) const;
    QString fontFamily() const { return m_fontFamily; }
    int fontSize() const { return m_fontSize; }

    // Loads the translation resource (e.g. "translator:lang_cn"), makes it the current
    // language and installs it. False, with nothing changed, when the resource is missing or
    // is not a language.
    bool installLanguage(const QString& resource);
    // The same with the document's text in memory; `origin` names it in diagnostics.
    bool installLanguageBuffer(const QByteArray& text, const QString& origin);

    // The readers of the UI definition's tables with the text in memory (a string table
    // replaces the strings; colours and skins are added to those there): one element per
    // entry under the root. False, with nothing changed, when the text is malformed.
    bool loadStringsBuffer(const QByteArray& text, const QString& origin);
    bool loadColorsBuffer(const QByteArray& text, const QString& origin);
    bool loadSkinsBuffer(const QByteArray& text, const QString& origin);

    QString tr(const QString& source, const QString& context = QString()) const {
        return m_translator.translate(source, context);
    }

    // The message loop: runs until quit; the result is the value given to quit. The main window
    // ends the loop with 0 when it is destroyed.
    int run(HostWnd* mainWindow = nullptr);
    void quit(int exitCode);
    HostWnd* mainWindow() const { return m_mainWindow; }
    void setMainWindow(HostWnd* w) { m_mainWindow = w; }
    bool isRunning() const { return m_running; }

private:
    // A resource's text through one of the readers above.
    bool loadResource(const QString& resource,
                      bool (Toolkit::*reader)(const QByteArray&, const QString&));

    ResourceProvider m_resources;
    NamedIds m_namedIds;
    Translator m_translator;
    ObjectFactory m_factory;
    std::vector<std::pair<QString, QString>> m_strings;
    QHash<QString, QColor> m_colors;
    QHash<QString, std::shared_ptr<Skin>> m_skins;
    QString m_fontFamily;
    int m_fontSize = 13;
    HostWnd* m_mainWindow = nullptr;
    bool m_running = false;
    bool m_quitPending = false;
    int m_quitCode = 0;
};

}  // namespace kg::ui
