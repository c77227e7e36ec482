#pragma once

#include <vector>

#include <pugixml.hpp>

#include "settings/MacroStep.h"

namespace kg {

// Every child element of `parent`, whatever its name, as a step from its attributes "code",
// "name", "state" and "delay".
void readSteps(const pugi::xml_node& parent, std::vector<MacroStep>& steps);

// One `item` per step with "code", "state", "delay" (unsigned decimal: -1 is written as
// 4294967295) and "name", in this order.
void writeSteps(pugi::xml_node& parent, const std::vector<MacroStep>& steps);

// The number attributes of both macro files: absent gives 0, otherwise the wrapped unsigned
// 32-bit reading.
std::int32_t numberAttribute(const pugi::xml_node& node, const char* name);

}  // namespace kg
