#pragma once

#include <cstdint>
#include <stdexcept>

namespace tutor {

// A palette index 0-15. Literal indices are checked when compiled; indices
// computed at run time go through from_index().
class Colour {
 public:
  consteval Colour(int index) : index_(checked(index)) {}  // NOLINT: literals read as in the tables
  [[nodiscard]] static constexpr Colour from_index(int index) { return Colour(Raw{}, index); }
  [[nodiscard]] constexpr int index() const { return index_; }
  friend constexpr bool operator==(Colour, Colour) = default;

 private:
  struct Raw {};
  constexpr Colour(Raw, int index) : index_(checked(index)) {}
  static constexpr std::uint8_t checked(int index) {
    if (index < 0 || index > 15) {
      throw std::out_of_range("palette index outside 0-15");
    }
    return static_cast<std::uint8_t>(index);
  }
  std::uint8_t index_;
};

// Lit rim, shaded rim and face of a raised box.
struct BoxColours {
  Colour lit;
  Colour shade;
  Colour face;
};

// RGB values of the 16 palette entries: 15 lighter and 1 darker than the faces,
// face 2 standing out from face 14, 7 a grey that reads on black. Faces that
// carry text (black on the finger-step blue, grey on the title and verdict
// faces, yellow on the buttons) keep a contrast of about 3:1 or more.
struct Rgb {
  std::uint8_t r, g, b;
};
inline constexpr Rgb kPalette[16] = {
    {0x00, 0x00, 0x00},  // 0 black
    {0x3a, 0x62, 0xc4},  // 1 blue
    {0xc4, 0x2c, 0x2c},  // 2 red
    {0x94, 0x3a, 0xa2},  // 3 magenta
    {0x1a, 0x80, 0x38},  // 4 green
    {0x11, 0x7a, 0x8e},  // 5 cyan
    {0xf8, 0xe0, 0x40},  // 6 yellow
    {0xc8, 0xc8, 0xc8},  // 7 grey
    {0x78, 0x78, 0x78},  // 8 dark grey
    {0x58, 0x88, 0xf0},  // 9 light blue
    {0xb0, 0x52, 0x22},  // 10 orange
    {0x78, 0xe8, 0xf8},  // 11 light cyan
    {0x78, 0xe0, 0x78},  // 12 light green
    {0xf0, 0x90, 0xc8},  // 13 pink
    {0xf2, 0xe4, 0xb8},  // 14 cream
    {0xff, 0xff, 0xff},  // 15 white
};

}  // namespace tutor
