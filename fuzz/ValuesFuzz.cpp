// The named-value tables edited by hand or damaged: the same text read as the string table and
// as the colour table of the UI definition, and its entries (element name, number of "value")
// given to the named-ID table that binds layout names to IDs. Afterwards the strings are in
// ordinal order and each name finds its first entry, every colour that parses is there, and
// the ID table finds every name and every ID it holds.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <pugixml.hpp>

#include "fuzz/FuzzCheck.h"
#include "fuzz/UiFuzz.h"
#include "ui/NamedIds.h"
#include "ui/ResourceProvider.h"
#include "ui/Toolkit.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kgfuzz::startUi();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text = kgfuzz::bytesOf(data, size);
    kg::ui::Toolkit tk;
    const bool strings = tk.loadStringsBuffer(text, QStringLiteral("fuzz-string.xml"));
    const bool colors = tk.loadColorsBuffer(text, QStringLiteral("fuzz-color.xml"));
    KG_FUZZ_CHECK(strings == colors);
    pugi::xml_document doc;
    KG_FUZZ_CHECK(strings == kg::ui::ResourceProvider::parseXml(text, doc, QString()));
    if (!strings) {
        KG_FUZZ_CHECK(tk.stringCount() == 0);
        return 0;
    }

    std::vector<kg::ui::NamedIds::Entry> entries;
    const pugi::xml_node root = doc.document_element();
    for (pugi::xml_node e = root.first_child(); e; e = e.next_sibling()) {
        if (e.type() == pugi::node_element) {
            entries.push_back({QString::fromUtf8(e.name()), e.attribute("value").as_int()});
        }
    }

    // Strings: one per element, sorted, a name finds the first of its entries.
    KG_FUZZ_CHECK(tk.stringCount() == static_cast<int>(entries.size()));
    for (int i = 0; i < tk.stringCount(); ++i) {
        const QString name = tk.stringNameAt(i);
        if (i > 0) {
            KG_FUZZ_CHECK(QString::compare(tk.stringNameAt(i - 1), name) <= 0);
        }
        if (i == 0 || tk.stringNameAt(i - 1) != name) {
            KG_FUZZ_CHECK(tk.string(name) == tk.stringAt(i));
            KG_FUZZ_CHECK(tk.resolveString(QStringLiteral("@string/") + name) == tk.stringAt(i));
        }
    }
    KG_FUZZ_CHECK(tk.stringAt(-1).isEmpty() && tk.stringAt(tk.stringCount()).isEmpty());

    // Colours: every value that parses is found under its name (a later entry of the same name,
    // compared without regard to case, replaces it). A value naming another colour is left
    // out: it was read before the later entries existed.
    for (pugi::xml_node e = root.first_child(); e; e = e.next_sibling()) {
        if (e.type() != pugi::node_element) {
            continue;
        }
        const QString value = QString::fromUtf8(e.attribute("value").value());
        bool ok = false;
        tk.parseColor(value, &ok);
        if (ok && !value.trimmed().startsWith(QStringLiteral("@color/"))) {
            KG_FUZZ_CHECK(tk.color(QString::fromUtf8(e.name())).isValid());
        }
        tk.parseColor(QStringLiteral("@color/") + QString::fromUtf8(e.name()), &ok);
    }

    // The named-ID table, given as sorted or not (a wrong claim is sorted out).
    kg::ui::NamedIds ids;
    ids.setTable(entries, size % 2 == 0);
    KG_FUZZ_CHECK(ids.count() == static_cast<int>(entries.size()));
    for (int i = 1; i < ids.count(); ++i) {
        KG_FUZZ_CHECK(QString::compare(ids.at(i - 1).name, ids.at(i).name) <= 0);
    }
    for (const kg::ui::NamedIds::Entry& e : entries) {
        // The first entry of a name in the given order answers for it.
        int first = 0;
        for (const kg::ui::NamedIds::Entry& f : entries) {
            if (f.name == e.name) {
                first = f.id;
                break;
            }
        }
        KG_FUZZ_CHECK(ids.idOf(e.name) == first);
        const QString named = ids.nameOf(e.id);
        bool holds = false;
        for (const kg::ui::NamedIds::Entry& f : entries) {
            holds = holds || (f.name == named && f.id == e.id);
        }
        KG_FUZZ_CHECK(holds);
    }
    return 0;
}
