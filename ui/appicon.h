// The program's icon, drawn at start: a check mark on a coloured square.
#pragma once

#include <QIcon>

namespace morv {

// One icon with a 32 x 32 and a 16 x 16 image.
QIcon programIcon();

} // namespace morv
