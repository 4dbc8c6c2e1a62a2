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
  // Fill it from one unit below the face centre, below the diagonal.
  con.paint_from_halves(x1 + x2, y1 + y2 + 2, colours.shade);
  con.fill(face, colours.face);
}

}  // namespace tutor
