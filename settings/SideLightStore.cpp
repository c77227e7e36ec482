#include "settings/SideLightStore.h"

#include <pugixml.hpp>

#include "common/NumberText.h"
#include "common/XmlFile.h"

SideLightStore& SideLightStore::instance() {
    static SideLightStore* const store = new SideLightStore();
    return *store;
}

bool SideLightStore::load(const wchar_t* path) {
    return kg::loadSettingsFile(path, m_path, [this](const pugi::xml_document& doc, bool parsed) {
        return read(doc, parsed);
    });
}

bool SideLightStore::loadBuffer(std::string_view bytes) {
    return kg::loadSettingsBuffer(
        bytes, [this](const pugi::xml_document& doc, bool parsed) { return read(doc, parsed); });
}

bool SideLightStore::read(const pugi::xml_document& doc, bool parsed) {
    if (!parsed) {
        resetDefaults();
        return false;
    }

    const pugi::xml_node root = doc.child("effect");
    const pugi::xml_attribute selAttr = root.attribute("sel");
    const std::uint32_t sel = selAttr ? kg::parseUnsigned32(selAttr.value()) : 0;
    m_currentIndex = sel > static_cast<std::uint32_t>(kRecordCount) ? 0 : static_cast<int>(sel);

    int i = 0;
    for (pugi::xml_node child = root.first_child(); child && i < kRecordCount;
         child = child.next_sibling(), ++i) {
        const pugi::xml_attribute attr = child.attribute("brightness");
        int level = kg::low4(attr ? kg::parseUnsigned32(attr.value()) : 0);
        if (level > kMaxLevel) {
            level = 0;
        }
        m_records[static_cast<std::size_t>(i)].setLevel(level);
    }
    return true;
}

bool SideLightStore::save() const {
    if (m_path.empty()) {
        return false;
    }
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("effect");
    root.append_attribute("sel").set_value(m_currentIndex);
    for (const SideLightRecord& r : m_records) {
        root.append_child("item").append_attribute("brightness").set_value(r.level());
    }
    return kg::saveXmlFile(doc, m_path);
}

SideLightRecord* SideLightStore::record(int index) {
    const int resolved = index == -1 ? m_currentIndex : index;
    if (resolved < 0 || resolved >= kRecordCount) {
        return nullptr;
    }
    return &m_records[static_cast<std::size_t>(resolved)];
}

const SideLightRecord* SideLightStore::record(int index) const {
    return const_cast<SideLightStore*>(this)->record(index);
}

bool SideLightStore::setCurrentIndex(int index) {
    m_currentIndex = index;
    return save();
}

bool SideLightStore::resetDefaults() {
    for (int i = 0; i < kRecordCount; ++i) {
        SideLightRecord& r = m_records[static_cast<std::size_t>(i)];
        r.setLevel(i < 3 ? 4 : 7);
        r.flags = static_cast<std::uint8_t>((r.flags | 0x01) & ~0x0E);
    }
    m_currentIndex = 0;
    return save();
}
