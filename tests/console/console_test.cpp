#include "console/console.h"
#include "console/window_settings.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <source_location>

#include <vector>

#include "tests/support/headless_fixture.h"

namespace tutor {
namespace {

using testing::HeadlessTest;
using ConsoleTest = HeadlessTest;

TEST_F(ConsoleTest, EventsOfKindsNotArmedAreDropped) {
  script().click({10, 10}).function_key(3).key("a").double_click({5, 6});
  EXPECT_EQ(con_.poll(Arm::keys_only()).kind, Event::Kind::None);
  EXPECT_EQ(con_.poll(Arm::mouse()).kind, Event::Kind::None);
  const Event key = con_.poll(Arm::keys_only());
  EXPECT_EQ(key.kind, Event::Kind::Key);
  EXPECT_EQ(key.key, "a");
  const Event dbl = con_.poll(Arm::mouse());
  EXPECT_EQ(dbl.kind, Event::Kind::DoubleClick);
  EXPECT_EQ(dbl.pointer, (Point{5, 6}));
  EXPECT_EQ(con_.pointer(), (Point{5, 6}));
  EXPECT_THROW(con_.poll(Arm::keys_only()), ScriptExhausted);
}

// Both clocks read as hours, minutes and seconds and wrap at midnight.
TEST_F(ConsoleTest, TheTimingClockKeepsTimeThroughCorrectionsOfTheSystemClock) {
  script().clock("23:59:30").correct_clock(-3600).wait(45).correct_clock(7200);
  (void)con_.poll(Arm::keys_only());
  const std::int64_t start = con_.timing_seconds();
  EXPECT_EQ(con_.time_of_day(), "23:59:30");
  EXPECT_EQ(con_.timing_clock(), "23:59:30");
  (void)con_.poll(Arm::keys_only());
  (void)con_.poll(Arm::keys_only());
  EXPECT_EQ(con_.time_of_day(), "23:00:15");
  EXPECT_EQ(con_.timing_clock(), "00:00:15");
  (void)con_.poll(Arm::keys_only());
  EXPECT_EQ(con_.time_of_day(), "01:00:15");
  EXPECT_EQ(con_.timing_seconds() - start, 45);
}

TEST_F(ConsoleTest, RandomValuesLieInTheUnitInterval) {
  for (int i = 0; i < 1000; ++i) {
    const double r = con_.random();
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
  }
}

TEST_F(ConsoleTest, StartingAProgramKeepsItsStoredPathAndMapsTheEnding) {
  const Outcome o = run([](Console& c) { c.start_program("././M1/Ostrin.exe"); });
  EXPECT_EQ(testing::started(o), "././M1/Ostrin.exe");
  EXPECT_EQ(executable_path("/t", "././M1/Ostrin.exe"), "/t/M1/Ostrin");
  EXPECT_EQ(executable_path("/t", "./Velmora.exe"), "/t/Velmora");
}

TEST_F(ConsoleTest, TheFatalErrorBoxNamesTheProgramAndTheLine) {
  unsigned line = 0;
  // clang-format off
  const Outcome o = run([&](Console& c) { line = std::source_location::current().line(); c.fatal_error(); });
  // clang-format on
  const auto* box = std::get_if<FatalErrorShown>(&o);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->caption, window_title("Test"));
  EXPECT_EQ(box->text, "続行不可能なエラーが発生しました Test [" + std::to_string(line) + "行]\n");
  EXPECT_FALSE(box->drawn_in_window);
  EXPECT_EQ(fatal_error_text("", 3).find("続行"), 0u);
}

TEST_F(ConsoleTest, WithoutASystemBoxTheErrorIsDrawnInTheWindowUntilDismissed) {
  backend_.set_system_error_box(false);
  const auto fail = [](Console& c) {
    c.print({20, 10}, kGrey, "drawn before");
    c.fatal_error();
  };
  script().key("x").key(keys::kEscape).idle();
  EXPECT_TRUE(testing::ran_out_of_script(run(fail)));  // keys other than Enter wait on
  EXPECT_EQ(text({12, 8}, 27), "Test - タッチタイプ基本練習");
  EXPECT_EQ(text_colour({12, 8}), Colour(15));
  EXPECT_NE(row(10).find("続行不可能なエラーが発生しました Test ["), std::string::npos);
  EXPECT_EQ(row(10).find("drawn before"), std::string::npos);
  EXPECT_EQ(text({38, 13}, 4), "ＯＫ");
  EXPECT_EQ(pixel({100, 130}), 1);  // the caption bar
  EXPECT_EQ(pixel({100, 200}), 14);
  for (const bool by_click : {false, true}) {
    by_click ? void(script().click({0, 0})) : void(script().enter());
    const Outcome o = run(fail);
    const auto* box = std::get_if<FatalErrorShown>(&o);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->drawn_in_window);
  }
}

TEST_F(ConsoleTest, DesignYIsScaledByNineEighthsRoundingHalfUp) {
  EXPECT_EQ(pixel_y(0), 0);
  EXPECT_EQ(pixel_y(16), 18);  // a text row
  EXPECT_EQ(pixel_y(400), 450);
  EXPECT_EQ(pixel_y(4), 5);    // 4.5 rounds up
  EXPECT_EQ(pixel_y(11), 12);  // 12.375
  EXPECT_EQ(pixel_y(37), 42);  // 41.625
  con_.fill({10, 4, 10, 4}, kLightBlue);
  EXPECT_EQ(pixel_at({10, 5}), 9);
  EXPECT_EQ(pixel_at({10, 4}), 0);
  // Hit tests compare against the exact scaled edges: 110*Q = 123.75.
  EXPECT_FALSE((Rect{60, 110, 304, 130}.contains_pixel({60, 123})));
  EXPECT_TRUE((Rect{60, 110, 304, 130}.contains_pixel({60, 124})));
  EXPECT_TRUE((Rect{60, 110, 304, 130}.contains_pixel({304, 146})));  // 146.25
  EXPECT_FALSE((Rect{60, 110, 304, 130}.contains_pixel({304, 147})));
}

TEST_F(ConsoleTest, ClearingTheScreenClearsBothPlanes) {
  con_.fill({0, 0, 639, 399}, kCream);
  con_.print({0, 0}, kBlack, "文字");
  con_.clear_screen();
  EXPECT_EQ(pixel_at({320, 200}), 0);
  EXPECT_EQ(row(0), std::string(80, ' '));
}

}  // namespace
}  // namespace tutor

namespace tutor {
namespace {

TEST(WindowSettings, ReadBackAsWrittenAndAnythingElseIsTheDefault) {
  const WindowSettings kept{1100, 700, 12, -3, true};
  EXPECT_EQ(parse_window_settings(window_settings_text(kept)), kept);
  EXPECT_EQ(parse_window_settings(window_settings_text({0, 0, {}, {}, false})), WindowSettings{});
  // Too small, not numbers, unknown names: the defaults.
  EXPECT_EQ(parse_window_settings("width=320\nheight=200\nfullscreen=maybe\n"), WindowSettings{});
  EXPECT_EQ(parse_window_settings("width=wide\nx=1e3\ncolour=red\n\n#x=5"), WindowSettings{});
  EXPECT_EQ(parse_window_settings("width=800\r\nheight=563\r\n").width, 800);
  // A file that is missing or cannot be read gives the defaults too.
  const auto home =
      std::filesystem::temp_directory_path() / ("settings-" + std::to_string(::getpid()));
  ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  EXPECT_EQ(read_window_settings(), WindowSettings{});
  std::filesystem::create_directories(home / "velmora" / "window.conf");  // a folder
  EXPECT_EQ(read_window_settings(), WindowSettings{});
  std::filesystem::remove_all(home);
  write_window_settings(kept);
  EXPECT_EQ(read_window_settings(), kept);
  ::unsetenv("XDG_CONFIG_HOME");
  std::filesystem::remove_all(home);
}

// A window left on a bigger screen, or on a screen no longer there, opens
// whole on the screens there are now.
TEST(WindowSettings, ASavedWindowIsFittedToTheScreensThereAreNow) {
  const ScreenArea laptop{0, 0, 1366, 768};
  const ScreenArea beside{1366, 0, 1920, 1080};
  struct Case {
    const char* name;
    WindowSettings saved;
    std::vector<ScreenArea> screens;
    WindowSettings fitted;
  };
  const Case cases[] = {
      {"fits as it is", {1100, 700, 133, 34, false}, {laptop}, {1100, 700, 133, 34, false}},
      {"from a 4K screen", {3840, 2100, 0, 0, false}, {laptop}, {1001, 703, 0, 0, false}},
      {"beyond what a window can be",
       {30000, 30000, {}, {}, true},
       {laptop},
       {1001, 703, 174, 0, true}},
      {"on no screen", {1100, 700, 5000, 3000, false}, {laptop}, {1100, 700, 125, 2, false}},
      {"partly off its screen",
       {1100, 700, 1000, -20, false},
       {laptop},
       {1100, 700, 250, 0, false}},
      {"on the second screen",
       {1800, 1000, 1400, 10, false},
       {laptop, beside},
       {1800, 1000, 1400, 10, false}},
      {"too big for the second screen",
       {2560, 1440, 1366, 0, false},
       {laptop, beside},
       {1444, 1015, 1366, 0, false}},
      {"no screen known", {30000, 30000, 5, 5, false}, {}, {0, 0, 5, 5, false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fitted_to_screens(c.saved, c.screens), c.fitted) << c.name;
  }
}

}  // namespace
}  // namespace tutor
