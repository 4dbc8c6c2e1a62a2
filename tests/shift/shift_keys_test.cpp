#include "shift/shift_keys.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "console/text.h"

namespace tutor::shift {
namespace {

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

// The cases the drill material does not reach.
TEST(ShiftKeys, TheSemicolonAndTheOddEntriesFindTheRightKey) {
  const auto semicolon = shift_target(';');  // typed unshifted on the "＋" key
  EXPECT_EQ(semicolon.key, 35);
  EXPECT_EQ(semicolon.shown, "；");
  EXPECT_EQ(semicolon.shift_key, 0);
  EXPECT_EQ(semicolon.accepted[1], ";");
  EXPECT_EQ(shift_target('`').accepted[1], "`");  // no alternative: only the accent is right
  EXPECT_EQ(key_of_keystroke("+"), 35);
  EXPECT_EQ(key_of_keystroke(";"), 35);
  EXPECT_EQ(key_of_keystroke("q"), 14);
  EXPECT_EQ(key_of_keystroke("2"), 2);
  EXPECT_EQ(key_of_keystroke(""), 0);
  EXPECT_EQ(key_of_keystroke("％"), 0);
}

}  // namespace
}  // namespace tutor::shift
