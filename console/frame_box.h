#pragma once

#include "console/colour.h"
#include "console/console.h"
#include "console/geometry.h"

namespace tutor {

// The raised box that draws every panel, key, cell and button: a face with a
// 2-unit rim outside it, lit along the top and left and shaded along the
// bottom and right, the two rims meeting in mitres at the top-right and
// bottom-left corners. 0/0/0 erases the whole box, rim included. The text
// plane is left untouched.
void frame_box(Console& con, Rect face, BoxColours colours);

}  // namespace tutor
