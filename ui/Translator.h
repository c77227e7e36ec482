#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include <pugixml.hpp>

namespace kg::ui {

// One translation, loaded from a `language` document:
//   <language name="cn">
//     <context name="">               (texts outside any context belong to the empty one)
//       <string src="Warning" dst="警告"/>
//     </context>
//   </language>
class Language {
public:
    // Loads from the `language` element; false when `node` is not one.
    bool load(const pugi::xml_node& node);
    QString name() const { return m_name; }
    // Writes the name into `buffer` of `size` wide characters (cleared first, always
    // terminated); returns the number of characters written.
    int name(wchar_t* buffer, int size) const;
    bool translate(const QString& context, const QString& source, QString* out) const;
    int count() const;

private:
    QString m_name;
    QHash<QString, QHash<QString, QString>> m_contexts;
};

// The translator manager: installed languages, the current one, and the call that translates
// a text. Installing or switching a language does not re-translate windows by itself; the
// program sends its windows the language-change notification for that.
class Translator : public QObject {
    Q_OBJECT
public:
    std::shared_ptr<Language> createLanguage() const { return std::make_shared<Language>(); }
    // Installs a language; one of the same name is replaced.
    void install(std::shared_ptr<Language> language);
    void uninstall(const QString& name);
    void setCurrentLanguage(const QString& name);
    QString currentLanguage() const { return m_current; }

    // The translation of `source` in `context` (then the empty context) of the current
    // language; the text itself when there is none.
    QString translate(const QString& source, const QString& context = QString()) const;

signals:
    void languageChanged();

private:
    const Language* current() const;

    std::vector<std::shared_ptr<Language>> m_languages;
    QString m_current;
};

}  // namespace kg::ui
