// A translation file edited by hand or damaged: when it is a language it becomes the current
// one, and every text it gives a translation for (in its context, the texts outside a context
// in the empty one, a later entry replacing an earlier) translates to exactly that; its name
// comes back whole or cut to any buffer size.
#include <QHash>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>

#include <pugixml.hpp>

#include "fuzz/FuzzCheck.h"
#include "fuzz/UiFuzz.h"
#include "ui/ResourceProvider.h"
#include "ui/Toolkit.h"

namespace {

using Texts = QHash<QString, QHash<QString, QString>>;

void expect(const pugi::xml_node& parent, QHash<QString, QString>& into) {
    for (pugi::xml_node s = parent.child("string"); s; s = s.next_sibling("string")) {
        const QString src = QString::fromUtf8(s.attribute("src").value());
        if (!src.isEmpty()) {
            into.insert(src, QString::fromUtf8(s.attribute("dst").value()));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kgfuzz::startUi();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text = kgfuzz::bytesOf(data, size);
    kg::ui::Toolkit tk;
    const bool installed = tk.installLanguageBuffer(text, QStringLiteral("fuzz-lang.xml"));
    pugi::xml_document doc;
    const bool parsed = kg::ui::ResourceProvider::parseXml(text, doc, QString());
    const pugi::xml_node language = doc.child("language");
    KG_FUZZ_CHECK(installed == (parsed && language));
    if (!installed) {
        KG_FUZZ_CHECK(tk.tr(QStringLiteral("Warning")) == QStringLiteral("Warning"));
        return 0;
    }
    const QString name = QString::fromUtf8(language.attribute("name").value());
    KG_FUZZ_CHECK(tk.translator().currentLanguage() == name);

    Texts texts;
    expect(language, texts[QString()]);
    for (pugi::xml_node c = language.child("context"); c; c = c.next_sibling("context")) {
        expect(c, texts[QString::fromUtf8(c.attribute("name").value())]);
    }
    for (auto ctx = texts.constBegin(); ctx != texts.constEnd(); ++ctx) {
        for (auto it = ctx->constBegin(); it != ctx->constEnd(); ++it) {
            KG_FUZZ_CHECK(tk.tr(it.key(), ctx.key()) == it.value());
        }
    }
    // A context of its own falls back to the empty one, then to the text itself.
    const QString other = QStringLiteral("\x01no such context");
    if (!texts.contains(other)) {
        for (auto it = texts[QString()].constBegin(); it != texts[QString()].constEnd(); ++it) {
            KG_FUZZ_CHECK(tk.tr(it.key(), other) == it.value());
        }
    }

    const auto language2 = tk.translator().createLanguage();
    KG_FUZZ_CHECK(language2->load(language));
    const std::wstring whole = name.toStdWString();
    for (int room : {0, 1, 2, 8, 64}) {
        wchar_t buffer[65];
        buffer[64] = L'#';
        const int n = language2->name(buffer, room);
        KG_FUZZ_CHECK(buffer[64] == L'#');
        const int expected = room <= 0 ? 0 : std::min(static_cast<int>(whole.size()), room - 1);
        KG_FUZZ_CHECK(n == expected);
        if (room > 0) {
            KG_FUZZ_CHECK(buffer[n] == L'\0');
            KG_FUZZ_CHECK(std::wmemcmp(buffer, whole.data(), static_cast<std::size_t>(n)) == 0);
        }
    }
    return 0;
}
