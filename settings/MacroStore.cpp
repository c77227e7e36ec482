#include "settings/MacroStore.h"

#include <cwchar>
#include <utility>

#include <pugixml.hpp>

#include "common/Utf.h"
#include "common/XmlFile.h"
#include "settings/StepXml.h"

void MacroGroup::addStep(std::int32_t code, std::int32_t state, std::int32_t delay,
                         std::wstring stepName) {
    steps.push_back(MacroStep{code, state, delay, std::move(stepName)});
}

bool MacroGroup::moveStepUp(int i) {
    if (i <= 0 || i >= static_cast<int>(steps.size())) {
        return false;
    }
    std::swap(steps[static_cast<std::size_t>(i - 1)], steps[static_cast<std::size_t>(i)]);
    return true;
}

bool MacroGroup::moveStepDown(int i) {
    if (i < 0 || i + 1 >= static_cast<int>(steps.size())) {
        return false;
    }
    std::swap(steps[static_cast<std::size_t>(i)], steps[static_cast<std::size_t>(i + 1)]);
    return true;
}

bool MacroGroup::deleteStep(int i) {
    if (i < 0 || i >= static_cast<int>(steps.size())) {
        return false;
    }
    steps.erase(steps.begin() + i);
    return true;
}

void MacroGroup::clearSteps() {
    steps.clear();
}

MacroStore& MacroStore::instance() {
    static MacroStore* const store = new MacroStore();
    return *store;
}

bool MacroStore::load(const wchar_t* path) {
    return kg::loadSettingsFile(path, m_path, [this](const pugi::xml_document& doc, bool parsed) {
        return read(doc, parsed);
    });
}

bool MacroStore::loadBuffer(std::string_view bytes) {
    return kg::loadSettingsBuffer(
        bytes, [this](const pugi::xml_document& doc, bool parsed) { return read(doc, parsed); });
}

bool MacroStore::read(const pugi::xml_document& doc, bool parsed) {
    if (!parsed) {
        return false;
    }

    m_groups.clear();
    for (const pugi::xml_node child : doc.child("macro").children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        MacroGroup group;
        kg::readSteps(child, group.steps);
        group.name = kg::fromUtf8(child.attribute("name").value());
        m_groups.push_back(std::move(group));
    }

    if (const pugi::xml_node config = doc.child("config")) {
        m_config.type = kg::numberAttribute(config, "type");
        m_config.repeat = kg::numberAttribute(config, "repeat");
        m_config.delay = kg::numberAttribute(config, "delay");
        m_config.mode = kg::numberAttribute(config, "mode");
        m_config.media = kg::numberAttribute(config, "media");
        m_config.function = kg::numberAttribute(config, "function");
        m_config.group = kg::numberAttribute(config, "group");
        m_config.skcode = kg::numberAttribute(config, "skcode");
        m_config.playmode = kg::numberAttribute(config, "playmode");
    }
    return true;
}

bool MacroStore::save() const {
    if (m_path.empty()) {
        return false;
    }
    pugi::xml_document doc;
    write(doc);
    return kg::saveXmlFile(doc, m_path);
}

std::string MacroStore::saveBuffer() const {
    pugi::xml_document doc;
    write(doc);
    return kg::xmlToString(doc);
}

void MacroStore::write(pugi::xml_document& doc) const {
    pugi::xml_node config = doc.append_child("config");
    config.append_attribute("type").set_value(m_config.type);
    config.append_attribute("repeat").set_value(m_config.repeat);
    config.append_attribute("mode").set_value(m_config.mode);
    config.append_attribute("delay").set_value(m_config.delay);
    config.append_attribute("media").set_value(m_config.media);
    config.append_attribute("function").set_value(m_config.function);
    config.append_attribute("group").set_value(m_config.group);
    config.append_attribute("skcode").set_value(m_config.skcode);
    config.append_attribute("playmode").set_value(m_config.playmode);

    pugi::xml_node macro = doc.append_child("macro");
    for (const MacroGroup& group : m_groups) {
        pugi::xml_node node = macro.append_child("group");
        node.append_attribute("name").set_value(kg::toUtf8(group.name).c_str());
        kg::writeSteps(node, group.steps);
    }
}

void MacroStore::resetConfig() {
    const std::int32_t playmode = m_config.playmode;
    m_config = MacroConfig{};
    m_config.playmode = playmode;
}

MacroGroup* MacroStore::groupAt(int index) {
    const int resolved = index < 0 ? m_config.group : index;
    if (resolved < 0 || resolved >= groupCount()) {
        return nullptr;
    }
    return &m_groups[static_cast<std::size_t>(resolved)];
}

const MacroGroup* MacroStore::groupAt(int index) const {
    return const_cast<MacroStore*>(this)->groupAt(index);
}

bool MacroStore::addGroup() {
    int n = groupCount();
    std::wstring name;
    for (;;) {
        wchar_t buffer[100];
        std::swprintf(buffer, 100, L"Group %d", n);
        name = buffer;
        bool taken = false;
        for (const MacroGroup& group : m_groups) {
            if (group.name == name) {
                taken = true;
                break;
            }
        }
        if (!taken) {
            break;
        }
        ++n;
    }
    m_groups.push_back(MacroGroup{std::move(name), {}});
    return save();
}

bool MacroStore::deleteGroup(int index) {
    if (index < 0 || index >= groupCount()) {
        return false;
    }
    m_groups.erase(m_groups.begin() + index);
    save();
    return true;
}

bool MacroStore::renameGroup(int index, const std::wstring& name) {
    if (index < 0 || index >= groupCount()) {
        return false;
    }
    MacroGroup& group = m_groups[static_cast<std::size_t>(index)];
    if (group.name == name) {
        return false;
    }
    group.name = name;
    save();
    return true;
}

bool MacroStore::appendGroups(std::vector<MacroGroup> groups) {
    for (MacroGroup& group : groups) {
        m_groups.push_back(std::move(group));
    }
    return save();
}
