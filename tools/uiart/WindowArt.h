#pragma once

#include "tools/uiart/Art.h"

namespace kg::uiart {

// Window backgrounds, the logo in its sizes and the function icons.
void addWindowPictures(Pictures& out);

// The logo drawn at size x size, for the icon file.
QImage logoImage(int size);

}  // namespace kg::uiart
