#include "settings/StepXml.h"

#include "common/NumberText.h"
#include "common/Utf.h"

namespace kg {

std::int32_t numberAttribute(const pugi::xml_node& node, const char* name) {
    const pugi::xml_attribute attr = node.attribute(name);
    return attr ? parseWrapped32(attr.value()) : 0;
}

void readSteps(const pugi::xml_node& parent, std::vector<MacroStep>& steps) {
    for (const pugi::xml_node child : parent.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        MacroStep step;
        step.code = numberAttribute(child, "code");
        step.name = fromUtf8(child.attribute("name").value());
        step.state = numberAttribute(child, "state");
        step.delay = numberAttribute(child, "delay");
        steps.push_back(std::move(step));
    }
}

void writeSteps(pugi::xml_node& parent, const std::vector<MacroStep>& steps) {
    for (const MacroStep& step : steps) {
        pugi::xml_node item = parent.append_child("item");
        item.append_attribute("code").set_value(static_cast<std::uint32_t>(step.code));
        item.append_attribute("state").set_value(static_cast<std::uint32_t>(step.state));
        item.append_attribute("delay").set_value(static_cast<std::uint32_t>(step.delay));
        item.append_attribute("name").set_value(toUtf8(step.name).c_str());
    }
}

}  // namespace kg
