#pragma once

namespace tutor {

// A key of the typing area by where it stands, whatever the keyboard map
// types with it, named as ISO/IEC 9995 names places: row 'E' (the number
// row) down to row 'B' (the bottom row), column 1 the key above, on or below
// the left little finger's home, counting right. Column 0 is the key left of
// 1 in row E and the key left of Z in row B, where a keyboard has them.
struct KeyPlace {
  char row = 0;
  int column = 0;
  friend constexpr bool operator==(KeyPlace, KeyPlace) = default;
};

}  // namespace tutor
