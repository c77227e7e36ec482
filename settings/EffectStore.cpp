#include "settings/EffectStore.h"

#include <pugixml.hpp>

#include "common/NumberText.h"
#include "common/XmlFile.h"

namespace {

std::uint32_t readNumber(const pugi::xml_node& node, const char* name, std::uint32_t absent) {
    const pugi::xml_attribute attr = node.attribute(name);
    return attr ? kg::parseUnsigned32(attr.value()) : absent;
}

}  // namespace

EffectStore& EffectStore::instance() {
    static EffectStore* const store = new EffectStore();
    return *store;
}

bool EffectStore::load(const wchar_t* path) {
    return kg::loadSettingsFile(path, m_path, [this](const pugi::xml_document& doc, bool parsed) {
        return read(doc, parsed);
    });
}

bool EffectStore::loadBuffer(std::string_view bytes) {
    return kg::loadSettingsBuffer(
        bytes, [this](const pugi::xml_document& doc, bool parsed) { return read(doc, parsed); });
}

bool EffectStore::read(const pugi::xml_document& doc, bool parsed) {
    if (!parsed) {
        m_records.fill(kDefaultRecord);
        m_currentIndex = kNoEffect;
        save();
        return false;
    }

    const pugi::xml_node root = doc.child("effect");
    const std::uint32_t sel = readNumber(root, "sel", 0);
    m_currentIndex = sel > static_cast<std::uint32_t>(kNoEffect) ? 0 : static_cast<int>(sel);

    // Every child node fills the next record, whatever its name; records beyond the last
    // child keep what they held.
    int i = 0;
    for (pugi::xml_node child = root.first_child(); child && i < kRecordCount;
         child = child.next_sibling(), ++i) {
        EffectRecord& r = m_records[static_cast<std::size_t>(i)];
        r.speed = kg::low8(readNumber(child, "speed", 0));
        r.brightness = kg::low8(readNumber(child, "brightness", 0));
        r.direction = kg::low8(readNumber(child, "deriction", 0));
        r.selection = kg::low8(readNumber(child, "selection", 1));
        if (r.speed > 2) {
            r.speed = 1;
        }
        if (r.brightness > 5) {
            r.brightness = 5;
        }
        if (r.direction > 1) {
            r.direction = 0;
        }
        // The panel only ever writes 1, 2 or 3, and the byte goes to the keyboard as it is.
        if (r.selection < 1 || r.selection > 3) {
            r.selection = 1;
        }
    }
    return true;
}

bool EffectStore::save() const {
    if (m_path.empty()) {
        return false;
    }
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("effect");
    root.append_attribute("sel").set_value(m_currentIndex);
    for (const EffectRecord& r : m_records) {
        pugi::xml_node item = root.append_child("item");
        item.append_attribute("speed").set_value(static_cast<unsigned>(r.speed));
        item.append_attribute("brightness").set_value(static_cast<unsigned>(r.brightness));
        item.append_attribute("deriction").set_value(static_cast<unsigned>(r.direction));
        item.append_attribute("selection").set_value(static_cast<unsigned>(r.selection));
    }
    return kg::saveXmlFile(doc, m_path);
}

EffectRecord* EffectStore::record(int index) {
    const int resolved = index == -1 ? m_currentIndex : index;
    if (resolved < 0 || resolved >= kRecordCount) {
        return nullptr;
    }
    return &m_records[static_cast<std::size_t>(resolved)];
}

const EffectRecord* EffectStore::record(int index) const {
    return const_cast<EffectStore*>(this)->record(index);
}

bool EffectStore::setCurrentIndex(int index) {
    m_currentIndex = index;
    return save();
}

bool EffectStore::resetDefaults() {
    m_records.fill(kDefaultRecord);
    m_currentIndex = kNoEffect;
    return save();
}
