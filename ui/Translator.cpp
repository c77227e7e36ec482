#include "ui/Translator.h"

#include <cstring>

namespace kg::ui {

namespace {
void readStrings(const pugi::xml_node& parent, QHash<QString, QString>& into) {
    for (pugi::xml_node s = parent.child("string"); s; s = s.next_sibling("string")) {
        const QString src = QString::fromUtf8(s.attribute("src").value());
        if (!src.isEmpty()) {
            into.insert(src, QString::fromUtf8(s.attribute("dst").value()));
        }
    }
}
}  // namespace

bool Language::load(const pugi::xml_node& node) {
    if (!node || std::strcmp(node.name(), "language") != 0) {
        return false;
    }
    m_name = QString::fromUtf8(node.attribute("name").value());
    m_contexts.clear();
    readStrings(node, m_contexts[QString()]);
    for (pugi::xml_node c = node.child("context"); c; c = c.next_sibling("context")) {
        readStrings(c, m_contexts[QString::fromUtf8(c.attribute("name").value())]);
    }
    return true;
}

int Language::name(wchar_t* buffer, int size) const {
    if (!buffer || size <= 0) {
        return 0;
    }
    std::memset(buffer, 0, sizeof(wchar_t) * static_cast<size_t>(size));
    const std::wstring w = m_name.toStdWString();
    const int n = static_cast<int>(w.size()) < size - 1 ? static_cast<int>(w.size()) : size - 1;
    for (int i = 0; i < n; ++i) {
        buffer[i] = w[static_cast<size_t>(i)];
    }
    return n;
}

bool Language::translate(const QString& context, const QString& source, QString* out) const {
    const auto ctx = m_contexts.constFind(context);
    if (ctx != m_contexts.constEnd()) {
        const auto it = ctx->constFind(source);
        if (it != ctx->constEnd()) {
            *out = *it;
            return true;
        }
    }
    return false;
}

int Language::count() const {
    int n = 0;
    for (const auto& c : m_contexts) {
        n += static_cast<int>(c.size());
    }
    return n;
}

void Translator::install(std::shared_ptr<Language> language) {
    if (!language) {
        return;
    }
    for (auto& l : m_languages) {
        if (l->name() == language->name()) {
            l = std::move(language);
            return;
        }
    }
    m_languages.push_back(std::move(language));
}

void Translator::uninstall(const QString& name) {
    std::erase_if(m_languages, [&](const auto& l) { return l->name() == name; });
}

void Translator::setCurrentLanguage(const QString& name) {
    if (m_current != name) {
        m_current = name;
        emit languageChanged();
    }
}

const Language* Translator::current() const {
    for (const auto& l : m_languages) {
        if (l->name() == m_current) {
            return l.get();
        }
    }
    return nullptr;
}

QString Translator::translate(const QString& source, const QString& context) const {
    if (source.isEmpty()) {
        return source;
    }
    const Language* lang = current();
    if (!lang) {
        return source;
    }
    QString out;
    if (lang->translate(context, source, &out)) {
        return out;
    }
    if (!context.isEmpty() && lang->translate(QString(), source, &out)) {
        return out;
    }
    return source;
}

}  // namespace kg::ui
