#include "launcher/launcher.h"

#include <gtest/gtest.h>

#include "launcher/menu_table.h"
#include "tests/support/headless_fixture.h"

namespace tutor::launcher {
namespace {

using tutor::testing::as_shown;
using tutor::testing::centre_of;
using tutor::testing::ended;
using tutor::testing::ran_out_of_script;
using tutor::testing::started;

class LauncherTest : public tutor::testing::HeadlessTest {
 protected:
  Outcome run_menu() { return run(launcher::run); }

  static const MenuEntry& entry(int n) {
    return n == kProgressEntryNumber     ? kProgressEntry
           : n == kWordCourseEntryNumber ? kWordCourseEntry
                                         : kMenu[static_cast<size_t>(n - 1)];
  }

  // The entry drawn highlighted, the band's buttons among them: face colour 2 and
  // label colour 6. Fails the test unless exactly one entry looks highlighted.
  int highlighted() {
    int found = 0;
    for (int n = 1; n <= kLastEntryNumber; ++n) {
      const MenuEntry& e = entry(n);
      const bool face = pixel({e.button.x1 + 1, e.button.y1 + 1}) == 2;
      const int f = n > 10 ? 0 : 3;  // the "Ｆ" after the label's blanks
      const Cell label{e.label_cell.col + f, e.label_cell.row};
      EXPECT_EQ(face, text_colour(label) == Colour(6)) << "entry " << n;
      if (face) {
        EXPECT_EQ(found, 0) << "entries " << found << " and " << n;
        found = n;
      }
    }
    return found;
  }

  // Runs the menu with `keys` and returns the entry highlighted at the end.
  int after_keys(std::initializer_list<std::string_view> keys) {
    for (auto k : keys) {
      script().key(k);
    }
    EXPECT_TRUE(ran_out_of_script(run_menu()));
    return highlighted();
  }

  static Point button(int n) { return centre_of(entry(n).button); }
};

TEST_F(LauncherTest, DrawsTheMenuWithEntryOneHighlighted) {
  EXPECT_TRUE(ran_out_of_script(run_menu()));
  EXPECT_EQ(text({20, 1}, 29), as_shown(kTitle));
  EXPECT_EQ(text({8, 7}, 21), as_shown("　 Ｆ１・・・導 入 編"));
  EXPECT_EQ(text({43, 15}, 25), "   Ｆ10・・・記録のクリア");
  EXPECT_EQ(text({26, 20}, 35), "を選んで Enter キーを押してください");
  EXPECT_EQ(text_colour({26, 20}), kLightCyan);  // cyan could not be read on black
  EXPECT_EQ(text({17, 20}, 4), "項目");
  EXPECT_EQ(text({72, 20}, 4), "終了");
  EXPECT_EQ(highlighted(), 1);
  // Legend box red, exit box green, panel and buttons with lit and shaded rims.
  EXPECT_EQ(pixel({150, 330}), 2);
  EXPECT_EQ(pixel({600, 330}), 4);
  EXPECT_EQ(pixel({200, 90}), 14);
  EXPECT_EQ(pixel({340, 142}), 14);
  // Entry 7's frame stands two units off its face (340-584): a band of the
  // plain face, then the rims.
  for (const auto& [x, colour] : {std::pair{336, 15},
                                  {337, 15},
                                  {338, 14},
                                  {339, 14},
                                  {585, 14},
                                  {586, 14},
                                  {587, 1},
                                  {588, 1}}) {
    EXPECT_EQ(pixel_at({x, pixel_y(150)}), colour) << x;
  }
  // Round the highlight of entry 1 too; rows of frames 3 units apart.
  EXPECT_EQ(pixel({59, 120}), 14);
  EXPECT_EQ(pixel({60, 120}), 2);
  EXPECT_EQ(pixel({100, 134}), 1);
  EXPECT_EQ(pixel({100, 136}), 14);  // the panel between the rows
  EXPECT_EQ(pixel({100, 138}), 15);
}

TEST_F(LauncherTest, CursorKeysWrapAroundAndCrossColumns) {
  EXPECT_EQ(after_keys({keys::kUp}), 10);
  EXPECT_EQ(after_keys({keys::kUp, keys::kDown}), 1);
  EXPECT_EQ(after_keys({keys::kDown, keys::kDown, keys::kRight}), 8);
  EXPECT_EQ(after_keys({keys::kDown, keys::kDown, keys::kRight, keys::kLeft}), 3);
  EXPECT_EQ(after_keys({keys::kRight, keys::kUp}), 5);  // 6 -> 5
  EXPECT_EQ(after_keys({keys::kLeft}), 6);
}

TEST_F(LauncherTest, EnterStartsTheHighlightedEntry) {
  script().key(keys::kDown).key(keys::kRight).enter();
  EXPECT_EQ(started(run_menu()), "././M1/Quillon.exe");
  script().enter();
  EXPECT_EQ(started(run_menu()), "././M1/Ostrin.exe");
}

TEST_F(LauncherTest, FunctionKeysStartTheirEntryWhateverIsHighlighted) {
  script().key(keys::kDown).key(keys::kDown).function_key(7);
  EXPECT_EQ(started(run_menu()), "././M1/Quillon.exe");
  EXPECT_EQ(highlighted(), 3);
  script().function_key(10);
  EXPECT_EQ(started(run_menu()), "././M1/Ulvane.exe");
  script().function_key(1);
  EXPECT_EQ(started(run_menu()), "././M1/Ostrin.exe");
  script().function_key(11).function_key(12);
  EXPECT_EQ(started(run_menu()), "././M1/Progress.exe");
  EXPECT_EQ(highlighted(), 1);
}

// The band under the legend row holds two more entries, the word course's
// (K) and the progress program's (F12): each selected by a click and started
// by Enter or a double-click as the ten are; the cursor keys step from one to
// the other or back into the ten, and the ten's cycle never reaches them.
TEST_F(LauncherTest, TheBandsButtonsAreSelectedByAClickAndStartedAsTheTenAre) {
  script().inspect([this] {
    EXPECT_EQ(text({43, 22}, 30), "Ｆ12・・・練習の記録（グラフ）");
    EXPECT_EQ(text({4, 22}, 30), "Ｋ・・・ことばの練習（日本語）");
    EXPECT_EQ(text_colour({43, 22}), kBlack);
    EXPECT_EQ(pixel({kProgressEntry.button.x1 + 1, kProgressEntry.button.y1 + 1}), 14);
  });
  script().click(button(kProgressEntryNumber)).enter();
  EXPECT_EQ(started(run_menu()), "././M1/Progress.exe");
  EXPECT_EQ(highlighted(), kProgressEntryNumber);
  script().double_click(button(kWordCourseEntryNumber));
  EXPECT_EQ(started(run_menu()), "././M1/Kotoba.exe");
  script().key("k");
  EXPECT_EQ(started(run_menu()), "././M1/Kotoba.exe");
  const std::tuple<int, std::string_view, int> steps[] = {
      {kProgressEntryNumber, keys::kUp, 10},   {kProgressEntryNumber, keys::kDown, 6},
      {kProgressEntryNumber, keys::kLeft, 12}, {kWordCourseEntryNumber, keys::kRight, 11},
      {kWordCourseEntryNumber, keys::kUp, 5},  {kWordCourseEntryNumber, keys::kDown, 1}};
  for (const auto& [from, key, to] : steps) {
    script().click(button(from)).key(key);
    EXPECT_TRUE(ran_out_of_script(run_menu()));
    EXPECT_EQ(highlighted(), to) << key;
  }
  EXPECT_EQ(after_keys({keys::kDown, keys::kDown, keys::kDown, keys::kDown, keys::kDown,
                        keys::kDown, keys::kDown, keys::kDown, keys::kDown, keys::kDown}),
            1);  // the cycle of ten skips it
}

TEST_F(LauncherTest, OtherKeysDoNothingTheLetterLAmongThem) {
  // The letter l must not make Enter start entry 1 while entry 2 is lit.
  script().key(keys::kDown).key("l").key("3").key(keys::kEscape).key(keys::kBackspace).enter();
  EXPECT_EQ(started(run_menu()), "././M1/Palvek.exe");
  EXPECT_EQ(highlighted(), 2);
}

TEST_F(LauncherTest, AClickMovesTheHighlightAndADoubleClickStarts) {
  script().click(button(9)).click(button(9));  // again on the selected one: it stays
  script().click({320, pixel_y(136)});         // between two rows of buttons
  script().click({322, pixel_y(120)});         // between the columns
  EXPECT_TRUE(ran_out_of_script(run_menu()));
  EXPECT_EQ(highlighted(), 9);

  script().double_click({200, 90});  // on the panel: nothing
  script().double_click(button(4));
  EXPECT_EQ(started(run_menu()), "././M1/Mestra.exe");
  EXPECT_EQ(highlighted(), 4);
}

TEST_F(LauncherTest, ButtonEdgesAreInsideAndJustBeyondIsOutside) {
  // Entry 2 spans x 60-304 and y 142*Q = 159.75 to 162*Q = 182.25.
  script().click({304, 182});
  EXPECT_TRUE(ran_out_of_script(run_menu()));
  EXPECT_EQ(highlighted(), 2);
  script().click({60, 160});
  EXPECT_TRUE(ran_out_of_script(run_menu()));
  EXPECT_EQ(highlighted(), 2);
  script().click({305, 170}).click({100, 159}).click({100, 183});
  EXPECT_TRUE(ran_out_of_script(run_menu()));
  EXPECT_EQ(highlighted(), 1);
}

TEST_F(LauncherTest, TheExitBoxEndsAtOnceAndOnlyInsideItsArea) {
  // 560 <= x < 624 and 320*Q = 360 < y < 336*Q = 378.
  for (Point outside : {Point{559, 370}, Point{624, 370}, Point{600, 360}, Point{600, 378}}) {
    script().click(outside).double_click(outside);
    EXPECT_TRUE(ran_out_of_script(run_menu())) << outside.x << "," << outside.y;
  }
  script().click({560, 361});
  EXPECT_TRUE(ended(run_menu()));
  script().double_click({623, 377});
  EXPECT_TRUE(ended(run_menu()));
}

}  // namespace
}  // namespace tutor::launcher
