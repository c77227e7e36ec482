#include "settings/RecordStore.h"

#include <pugixml.hpp>

#include "common/Utf.h"
#include "common/XmlFile.h"
#include "settings/StepXml.h"

RecordStore& RecordStore::instance() {
    static RecordStore* const store = new RecordStore();
    return *store;
}

bool RecordStore::load(const wchar_t* path) {
    return kg::loadSettingsFile(path, m_path, [this](const pugi::xml_document& doc, bool parsed) {
        return read(doc, parsed);
    });
}

bool RecordStore::loadBuffer(std::string_view bytes) {
    return kg::loadSettingsBuffer(
        bytes, [this](const pugi::xml_document& doc, bool parsed) { return read(doc, parsed); });
}

bool RecordStore::read(const pugi::xml_document& doc, bool parsed) {
    if (!parsed) {
        return false;
    }

    // The file has no single root: every top-level element is a record, whatever its name.
    m_records.clear();
    for (const pugi::xml_node node : doc.children()) {
        if (node.type() != pugi::node_element) {
            continue;
        }
        KeyRecord record;
        kg::readSteps(node, record.steps);
        record.code = kg::numberAttribute(node, "code");
        record.type = kg::numberAttribute(node, "type");
        record.repeat = kg::numberAttribute(node, "repeat");
        record.name = kg::fromUtf8(node.attribute("name").value());
        record.group = kg::fromUtf8(node.attribute("group").value());
        record.mode = kg::numberAttribute(node, "mode");
        m_records.push_back(std::move(record));
    }
    return true;
}

bool RecordStore::save() const {
    if (m_path.empty()) {
        return false;
    }
    pugi::xml_document doc;
    write(doc);
    return kg::saveXmlFile(doc, m_path);
}

std::string RecordStore::saveBuffer() const {
    pugi::xml_document doc;
    write(doc);
    return kg::xmlToString(doc);
}

void RecordStore::write(pugi::xml_document& doc) const {
    for (const KeyRecord& record : m_records) {
        pugi::xml_node node = doc.append_child("record");
        node.append_attribute("code").set_value(record.code);
        node.append_attribute("type").set_value(record.type);
        node.append_attribute("repeat").set_value(record.repeat);
        node.append_attribute("name").set_value(kg::toUtf8(record.name).c_str());
        node.append_attribute("group").set_value(kg::toUtf8(record.group).c_str());
        node.append_attribute("mode").set_value(record.mode);
        kg::writeSteps(node, record.steps);
    }
}

void RecordStore::setRecord(const KeyRecord& record) {
    for (KeyRecord& existing : m_records) {
        if (existing.code == record.code) {
            existing = record;
            return;
        }
    }
    m_records.push_back(record);
    save();
}

bool RecordStore::removeRecord(std::int32_t code) {
    for (auto it = m_records.begin(); it != m_records.end(); ++it) {
        if (it->code == code) {
            m_records.erase(it);
            return true;
        }
    }
    return false;
}

const KeyRecord* RecordStore::findRecord(std::int32_t code) const {
    for (const KeyRecord& record : m_records) {
        if (record.code == code) {
            return &record;
        }
    }
    return nullptr;
}

bool RecordStore::clearRecords() {
    m_records.clear();
    return save();
}
