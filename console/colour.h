#pragma once

#include <cstdint>
#include <stdexcept>

namespace tutor {

// A palette index 0-15, written by its name below. Indices computed at run
// time go through from_index(); a literal index is checked when compiled.
class Colour {
 public:
  explicit consteval Colour(int index) : index_(checked(index)) {}
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

// The sixteen colours by name, as a text-mode screen names them.
inline constexpr Colour kBlack{0};
inline constexpr Colour kBlue{1};
inline constexpr Colour kRed{2};
inline constexpr Colour kMagenta{3};
inline constexpr Colour kGreen{4};
inline constexpr Colour kCyan{5};
inline constexpr Colour kYellow{6};
inline constexpr Colour kGrey{7};
inline constexpr Colour kDarkGrey{8};
inline constexpr Colour kLightBlue{9};
inline constexpr Colour kOrange{10};
inline constexpr Colour kLightCyan{11};
inline constexpr Colour kLightGreen{12};
inline constexpr Colour kPink{13};
inline constexpr Colour kCream{14};
inline constexpr Colour kWhite{15};

// Lit rim, shaded rim and face of a raised box.
struct BoxColours {
  Colour lit;
  Colour shade;
  Colour face;
};

// The rims every screen uses: a panel or button raised on a blue shade, a key
// cap shaded black, a field sunk into its panel, and a box of black that
// wipes what was there.
[[nodiscard]] constexpr BoxColours raised_box(Colour face) {
  return {kWhite, kBlue, face};
}
inline constexpr BoxColours kRaisedBox = raised_box(kCream);
[[nodiscard]] constexpr BoxColours key_box(Colour face) {
  return {kWhite, kBlack, face};
}
inline constexpr BoxColours kSunkenBox = {kBlue, kWhite, kBlack};
inline constexpr BoxColours kBlackBox = {kBlack, kBlack, kBlack};

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
