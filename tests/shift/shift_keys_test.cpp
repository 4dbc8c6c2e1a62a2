#include "shift/shift_keys.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "console/text.h"

namespace tutor::shift {
namespace {

using lessonkit::kLeftShift;
using lessonkit::kRightShift;

// Guards the copied tables: a legend is the full-width form of its character
// but on key 2 (the double quotation mark) and key 7 (a plain apostrophe).
TEST(ShiftKeys, LegendsAreTheFullWidthFormsOfTheShiftedCharacters) {
  for (int k = 1; k <= lessonkit::kTypingKeys; ++k) {
    const ShiftKey& s = shift_key(k);
    if (k == 2 || k == 7) {
      continue;
    }
    EXPECT_EQ(s.legend, to_full_width(s.shifted)) << "key " << k;
    // The alternative is the lower-case letter or the character itself; the
    // grave accent alone has none.
    std::string lower(s.shifted);
    for (char& c : lower) {
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(s.alternative, k == 24 ? "" : lower) << "key " << k;
  }
  EXPECT_EQ(shift_key(2).legend, "”");
  EXPECT_EQ(shift_key(7).legend, "'");
  EXPECT_EQ(kShiftLegends[lessonkit::kSpaceBar], "");
  EXPECT_EQ(kShiftLegends[kLeftShift], "Shift  ");
  EXPECT_EQ(kShiftLegends[48], "＿");
}

TEST(ShiftKeys, ShiftedCharactersTakeTheShiftKeyOfTheOtherHand) {
  for (int k = 1; k <= lessonkit::kTypingKeys; ++k) {
    const std::string_view c = shift_key(k).shifted;
    if (c.empty() || k == 2) {
      continue;
    }
    const int expected = std::isalpha(static_cast<unsigned char>(c[0])) || c == " " ? kNoShift
                         : k <= 6 ? kRightShiftSide
                                  : kLeftShiftSide;
    EXPECT_EQ(shift_key(k).side, expected) << "key " << k << " " << c;
  }
}

TEST(ShiftKeys, DrillCharactersFindTheirKeyTheirShiftAndTheirForms) {
  const auto percent = shift_target('%');
  EXPECT_EQ(percent.key, 5);
  EXPECT_EQ(percent.shown, "％");
  EXPECT_EQ(percent.shift_key, kRightShift);
  EXPECT_EQ(shift_target('(').shift_key, kLeftShift);
  EXPECT_EQ(shift_target('+').key, 35);
  const auto f = shift_target('F');
  EXPECT_EQ(f.key, 29);
  EXPECT_EQ(f.shift_key, 0);
  EXPECT_EQ(f.accepted[1], "f");
  // The semicolon is typed unshifted; its key's legend is the plus sign.
  const auto semicolon = shift_target(';');
  EXPECT_EQ(semicolon.key, 35);
  EXPECT_EQ(semicolon.shown, "；");
  EXPECT_EQ(semicolon.shift_key, 0);
  EXPECT_EQ(semicolon.accepted[0], ";");
  EXPECT_EQ(semicolon.accepted[1], ";");
  // The grave accent has no alternative: nothing but the accent is right.
  EXPECT_EQ(shift_target('`').accepted[1], "`");
  EXPECT_EQ(shift_target(' ').key, lessonkit::kSpaceBar);
}

TEST(ShiftKeys, AWrongKeystrokeFindsTheFirstKeyTypingItShiftedOrNot) {
  EXPECT_EQ(key_of_keystroke("5"), 5);
  EXPECT_EQ(key_of_keystroke("%"), 5);
  EXPECT_EQ(key_of_keystroke("\""), 2);
  EXPECT_EQ(key_of_keystroke("2"), 2);
  EXPECT_EQ(key_of_keystroke("q"), 14);
  EXPECT_EQ(key_of_keystroke("+"), 35);
  EXPECT_EQ(key_of_keystroke(";"), 35);
  EXPECT_EQ(key_of_keystroke("}"), 37);
  EXPECT_EQ(key_of_keystroke(" "), lessonkit::kSpaceBar);
  EXPECT_EQ(key_of_keystroke("\r"), 0);
  EXPECT_EQ(key_of_keystroke(""), 0);
  EXPECT_EQ(key_of_keystroke("％"), 0);
}

}  // namespace
}  // namespace tutor::shift
