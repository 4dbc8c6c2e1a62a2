#include "console/frame_box.h"

namespace tutor {

void frame_box(Console& con, Rect face, BoxColours colours) {
  const auto [x1, y1, x2, y2] = face;
  // The whole box in the lit colour.
  con.fill(face.grown(2), colours.lit);
  // Outline of the shaded half: outer top-right corner, inner top-right corner,
  // along the face diagonal to the inner bottom-left corner, out to the outer
  // bottom-left corner, then back along the outer bottom and right edges.
  con.polyline({{x2 + 2, y1 - 2}, {x2, y1}, {x1, y2}, {x1 - 2, y2 + 2}}, colours.shade);
  con.polyline({{x1 - 2, y2 + 2}, {x2 + 2, y2 + 2}, {x2 + 2, y1 - 2}}, colours.shade);
  // Fill it from one unit below the face centre, below the diagonal. On a
  // steep diagonal that point can round onto the line itself; the seed then
  // moves down its column, deeper into the shaded half, until it is off it.
  int seed_y = y1 + y2 + 2;  // half units
  const int bottom = 2 * (y2 + 2);
  while (seed_y < bottom &&
         con.screen().graphics.at(pixel_from_halves(x1 + x2, seed_y)) == colours.shade) {
    ++seed_y;
  }
  con.paint_from_halves(x1 + x2, seed_y, colours.shade);
  con.fill(face, colours.face);
}

}  // namespace tutor
