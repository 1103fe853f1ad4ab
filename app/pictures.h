// The pictures of the toolbar commands and the page buttons, drawn in code.
#pragma once

#include <QIcon>

#include "core/layout.h"

namespace ostrolen {

QIcon ButtonIcon(Picture picture);
QIcon ExitIcon();   // a door with an arrow pointing into it
QIcon AboutIcon();  // a framed picture with a pencil
QIcon AppIcon();    // the program's own icon

}  // namespace ostrolen
