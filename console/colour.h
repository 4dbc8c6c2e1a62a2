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

// RGB values of the 16 palette entries, chosen so that every text a program
// draws stands out from its face by 4.5:1 or more, and so that a raised box
// looks raised on every face: its lit rim (15) is lighter and its shaded rim
// (1) darker than every face but black. The faces that carry yellow, grey or
// white text (1, 2, 3, 4, 5, 8, 10) are dark; those that carry black text
// (6, 7, 9, 11, 13, 14) are light; grey (7) reads on every dark face.
struct Rgb {
  std::uint8_t r, g, b;
};
inline constexpr Rgb kPalette[16] = {
    {0x00, 0x00, 0x00},  // 0 black
    {0x24, 0x3c, 0xb4},  // 1 blue
    {0xb0, 0x20, 0x20},  // 2 red
    {0x8a, 0x32, 0x96},  // 3 magenta
    {0x18, 0x6a, 0x2a},  // 4 green
    {0x0c, 0x60, 0x70},  // 5 cyan
    {0xff, 0xf0, 0x60},  // 6 yellow
    {0xda, 0xda, 0xda},  // 7 grey
    {0x55, 0x55, 0x55},  // 8 dark grey
    {0x58, 0x88, 0xf0},  // 9 light blue
    {0x98, 0x42, 0x18},  // 10 orange
    {0x78, 0xe8, 0xf8},  // 11 light cyan
    {0x78, 0xe0, 0x78},  // 12 light green
    {0xf0, 0x90, 0xc8},  // 13 pink
    {0xf2, 0xe4, 0xb8},  // 14 cream
    {0xff, 0xff, 0xff},  // 15 white
};

// Black or white, whichever stands out more from a face: the sRGB curve
// taken as a square is close enough to choose.
[[nodiscard]] constexpr Colour text_on(Colour face) {
  const Rgb c = kPalette[face.index()];
  const double luminance = (0.2126 * c.r * c.r + 0.7152 * c.g * c.g + 0.0722 * c.b * c.b) / 65025.0;
  return luminance > 0.18 ? kBlack : kWhite;
}

}  // namespace tutor
