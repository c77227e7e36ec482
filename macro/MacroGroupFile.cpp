#include "macro/MacroGroupFile.h"

#include <pugixml.hpp>

#include "common/Utf.h"
#include "common/XmlFile.h"
#include "settings/MacroStore.h"
#include "settings/StepXml.h"

namespace kg {

namespace {

bool nameTaken(const std::wstring& name, const MacroStore& store,
               const std::vector<MacroGroup>& alsoTaken) {
    for (const MacroGroup& g : store.groups()) {
        if (g.name == name) {
            return true;
        }
    }
    for (const MacroGroup& g : alsoTaken) {
        if (g.name == name) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool exportMacroGroup(const MacroGroup& group, const std::wstring& path) {
    pugi::xml_document doc;
    pugi::xml_node node = doc.append_child("macro").append_child("group");
    node.append_attribute("name").set_value(kg::toUtf8(group.name).c_str());
    kg::writeSteps(node, group.steps);
    return kg::saveXmlFile(doc, path);
}

bool readMacroGroupFile(const std::wstring& path, std::vector<MacroGroup>& out) {
    pugi::xml_document doc;
    if (!kg::loadXmlFile(doc, path)) {
        return false;
    }
    std::vector<MacroGroup> groups;
    for (const pugi::xml_node child : doc.child("macro").children("group")) {
        MacroGroup group;
        kg::readSteps(child, group.steps);
        group.name = kg::fromUtf8(child.attribute("name").value());
        groups.push_back(std::move(group));
    }
    if (groups.empty()) {
        return false;
    }
    out = std::move(groups);
    return true;
}

std::wstring uniqueGroupName(const MacroStore& store, const std::wstring& wanted,
                             const std::vector<MacroGroup>& alsoTaken) {
    if (!nameTaken(wanted, store, alsoTaken)) {
        return wanted;
    }
    for (int n = 2;; ++n) {
        std::wstring candidate = wanted + L" (" + std::to_wstring(n) + L")";
        if (!nameTaken(candidate, store, alsoTaken)) {
            return candidate;
        }
    }
}

int importMacroGroupFile(MacroStore& store, const std::wstring& path) {
    std::vector<MacroGroup> read;
    if (!readMacroGroupFile(path, read)) {
        return -1;
    }
    std::vector<MacroGroup> added;
    for (MacroGroup& group : read) {
        group.name = uniqueGroupName(store, group.name, added);
        added.push_back(std::move(group));
    }
    const int count = static_cast<int>(added.size());
    store.appendGroups(std::move(added));
    return count;
}

}  // namespace kg
