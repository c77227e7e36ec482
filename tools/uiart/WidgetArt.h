#pragma once

#include "tools/uiart/Art.h"

namespace kg::uiart {

// Buttons, check and radio styles, combo box, slider, tab heads and the panels that the
// layouts stretch as nine-patch frames.
void addWidgetPictures(Pictures& out);

}  // namespace kg::uiart
