#pragma once

#include "tools/uiart/Art.h"

namespace kg::uiart {

// Buttons, check and radio styles, combo box, slider, tab heads and the panels that the
// layouts stretch as nine-patch frames.
void addWidgetPictures(Pictures& out);

// The toolkit's own drop-down arrow of a plain combo box (12 x 12), compiled into the program
// with its other system resources so that it shows even without the resource folder.
QImage toolkitComboArrow();

}  // namespace kg::uiart
