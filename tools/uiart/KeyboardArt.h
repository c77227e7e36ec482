#pragma once

#include "tools/uiart/Art.h"

#include <QByteArray>

namespace kg::uiart {

// keyboard.png (the case, clear at the caps), the hover, checked, pressed and normal
// pictures of the same size, and the small demo picture.
void addKeyboardPictures(Pictures& out);

// keyboard.xml: root "positions", one "key" per key with id, va, name, color (#RRGGBB) and
// rect (left,top,width,height).
QByteArray keyLayoutXml();

}  // namespace kg::uiart
