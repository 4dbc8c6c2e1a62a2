// TUTOR_SOAK_EVENTS=<n> sets the random events per starting program (default 2000), e.g. 1000000.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <regex>
#include <thread>

#include "console/text.h"
#include "history/history.h"
#include "launcher/menu_table.h"
#include "records/record_table.h"
#include "shift/shift_keys.h"
#include "tests/support/contrast.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/programs.h"
#include "trytest/zarbet_tables.h"

namespace tutor {
namespace {

using namespace tutor::testing;

// The keystroke a drill or the timed test waits for: the first strip cell lit
// (face 11) or greyed by a wrong key (face 7), its legend found in the key
// tables. Empty when the screen shows no such cell.
std::string awaited_key(const Screen& s) {
  for (const auto& [design_y, row] : {std::pair{72, 4}, std::pair{39, 2}}) {
    for (int n = 1; n <= 20; ++n) {
      const int face = s.graphics.at(to_pixels({151 + 24 * (n - 1), design_y})).index();
      const std::string shown = s.text.text_at({18 + 3 * (n - 1), row}, 1);
      for (int k = 1; (face == 11 || face == 7) && k <= lessonkit::kTypingKeys; ++k) {
        if (lessonkit::key(k).legend == (shown == " " ? "　" : shown)) {  // blank: full width
          return std::string(lessonkit::key(k).typed);
        }
        if (shift::shift_key(k).legend == shown) {
          return std::string(shift::shift_key(k).shifted);
        }
      }
    }
  }
  return "";
}

// The face a text cell stands on: the colour most of its pixels have.
Colour face_under(const GraphicsPlane& g, PixelRect cell) {
  std::array<int, 16> count{};
  for (int y = cell.y1; y <= cell.y2; ++y) {
    for (int x = cell.x1; x <= cell.x2; ++x) {
      ++count[static_cast<size_t>(g.at({x, y}).index())];
    }
  }
  return Colour::from_index(
      static_cast<int>(std::max_element(count.begin(), count.end()) - count.begin()));
}

// Random input, made a few steps at a time as the programs poll: chaos, or a
// typist who types what the drill waits for and clicks the screens on.
class SoakTest : public HeadlessTest, public ::testing::WithParamInterface<size_t> {
 protected:
  void TearDown() override {}  // the fixture's console is not the one that ran

  int up_to(int n) { return std::uniform_int_distribution(0, n - 1)(rng_); }
  Point anywhere() { return {up_to(840) - 100, up_to(650) - 100}; }

  // Anywhere, the timed test's OK, arrow and quit, the launcher's end, the
  // drill exits, the menu buttons, the test lengths and the clearing's answers.
  void press_button() {
    static const std::vector<Point> all = [] {
      std::vector<Point> p = {{320, 225}, {276, 369}, {514, 81}, {404, 369},
                              {592, 369}, {576, 404}, {592, 405}};
      for (int i = 1; i <= 10; ++i) {
        p.push_back(centre_of(launcher::kMenu[static_cast<size_t>(i - 1)].button));
        p.push_back(centre_of(trytest::time_menu_item(i)));
      }
      p.push_back(centre_of(records::kChoices[0].button));
      p.push_back(centre_of(records::kChoices[1].button));
      return p;
    }();
    const Point p = all[static_cast<size_t>(up_to(static_cast<int>(all.size())))];
    up_to(2) ? script().click(p) : script().double_click(p);
  }
  void more() {
    if (collecting_text_ && console_ != nullptr) {
      collect_text(console_->screen());
    }
    ++polls_;
    const std::string awaited = console_ ? awaited_key(console_->screen()) : "";
    if (up_to(typing_ ? 800 : 50) == 0) {
      typing_ = !typing_;
    } else if (!typing_) {
      left_ -= chaos(awaited);
    } else if (--left_; up_to(20) == 0) {  // a pause or a slip
      up_to(2) ? script().wait(1 + up_to(2)) : script().key(std::string(1, char('!' + up_to(94))));
    } else {
      awaited.empty() ? press_button() : void(script().key(awaited));
    }
    if (left_ > 0) {
      script().inspect([this] { more(); });
    }
  }
  // Adds one piece of chaos; returns the steps it took.
  int chaos(const std::string& awaited) {
    static constexpr std::string_view kControl = "\r\x1c\x1d\x1e\x1f\b\x1b\t";
    static constexpr std::string_view kStrings[] = {"か", "あいう", "ｶ", "fj", "ab\r", "ＦＪ"};
    static constexpr std::string_view kDrill =
        "FJDKSLA;RUEIWOQP5678901234-^\\@[:];,./ !\"#$%&'()=~|`{+*}<>?_fjdksla";
    const int n = 1 + up_to(40);
    const auto at = static_cast<size_t>(up_to(static_cast<int>(kDrill.size())));
    // clang-format off
    switch (up_to(20)) {
      case 0: case 1: case 2: script().key(std::string(1, char(' ' + up_to(95)))); break;
      case 3: script().key(kControl.substr(static_cast<size_t>(up_to(8)), 1)); break;
      case 4: script().key(kStrings[up_to(6)]); break;
      case 5: case 6: script().type(kDrill.substr(at, static_cast<size_t>(n))); return n;
      case 7: script().function_key(1 + up_to(12)); break;
      case 8: script().click(anywhere()); break;
      case 9: script().double_click(anywhere()); break;
      case 10: case 11: press_button(); break;
      case 12: script().move_pointer(anywhere()); break;
      case 13: script().idle(n % 5 + 1); return n % 5 + 1;
      case 14: script().wait(n * (up_to(2) ? 1 : 2160)); break;  // up to a day
      case 15: script().correct_clock((up_to(2) ? 1 : -1) * (up_to(2) ? n : up_to(86400))); break;
      case 16: script().clock("23:59:5" + std::to_string(n % 10)).wait(n % 20 + 1); return 2;
      case 17: script().placed_key({"EDCB"[up_to(4)], up_to(14)}, up_to(2) == 0); break;
      default: awaited.empty() ? press_button() : void(script().key(awaited)); break;
    }
    // clang-format on
    return 1;
  }
  // Each record one whole line of a value it may hold, a progress history that
  // reads back, and nothing else stored.
  [[nodiscard]] bool records_whole(const std::string& after) {
    static const std::pair<const char*, std::regex> kLines[] = {
        {"KIGO.TXT", std::regex("(クリアー|未 達 成)\n")},
        {"RANK.TXT", std::regex("([1-9]|[1-5][0-9]|6[0-7])\n")},                // grades 1-67
        {"SFT.TXT", std::regex("(0|[1-9][0-9]*)(\\.[0-9]+)?(e\\+[0-9]+)?\n")},  // a number >= 0
        {"SUU.TXT", std::regex("(クリアー|未 達 成)\n")},
        {"step.TXT", std::regex("[1-6]\n")}};
    std::vector<std::string> files = files_in(root_ / "M0" / "data"), stored;
    bool ok = true;
    if (const auto history = std::find(files.begin(), files.end(), "progress.sqlite3");
        history != files.end()) {
      files.erase(history);
      ok = history::read_history(root_ / history::kHistoryFile).status ==
           history::HistoryRead::Status::Read;
    }
    // The word course's lessons passed: numbers (and own lessons' names).
    if (const auto passed = std::find(files.begin(), files.end(), "KOTOBA.TXT");
        passed != files.end()) {
      files.erase(passed);
      ok = ok && std::regex_match(record("KOTOBA.TXT"), std::regex("(k?[0-9]+( k?[0-9]+)*)?\n"));
    }
    ok = ok && files.size() == std::size(kLines);
    for (const auto& [name, line] : kLines) {
      stored.push_back(record(name));
      ok = ok && files[stored.size() - 1] == name && std::regex_match(stored.back(), line);
    }
    EXPECT_TRUE(ok) << "records after " << after << ": " << ::testing::PrintToString(files)
                    << " holding " << ::testing::PrintToString(stored);
    return ok;
  }

  // Every text colour seen on every face, with where it was first seen.
  void collect_text(const Screen& s) {
    for (int row = 0; row < kRows; ++row) {
      for (int col = 0; col < kColumns; ++col) {
        const TextCell& t = s.text.cell({col, row});
        if (t.shape == TextCell::Shape::Empty || t.shape == TextCell::Shape::WideRight ||
            is_blank(t.ch)) {
          continue;
        }
        const int width = t.shape == TextCell::Shape::WideLeft ? 2 : 1;
        const Colour face = face_under(s.graphics, cell_pixels(row, col, col + width - 1));
        text_on_faces_.try_emplace(
            {t.colour.index(), face.index()},
            std::string(running_) + ", row " + std::to_string(row) + ": " + s.text.row_text(row));
      }
    }
    for (const Label& l : s.labels.labels()) {
      text_on_faces_.try_emplace({l.colour.index(), face_under(s.graphics, l.box).index()},
                                 std::string(running_) + ", a key's kana " + encode_utf8(l.ch));
    }
  }

  std::map<std::pair<int, int>, std::string> text_on_faces_;
  bool collecting_text_ = false;
  const char* running_ = "";
  std::mt19937 rng_;
  long left_ = 0;
  bool typing_ = false;
  Console* console_ = nullptr;  // the program running
  std::atomic<long> polls_ = 0;

  // Runs the programs from the one of the test's parameter, handing over as
  // they do, until `events` are spent.
  void soak(long events) {
    const std::string start = std::next(programs().begin(), GetParam())->first;
    const unsigned seed = 7001 + static_cast<unsigned>(GetParam());
    SCOPED_TRACE(::testing::Message() << "seed " << seed << " from " << start);
    std::printf("%s, seed %u: %ld events\n", start.c_str(), seed, events);
    std::fflush(stdout);  // before any sanitizer report ends the run

    std::atomic<const char*> running = "";  // program names are literals
    // Stops the run when no program has polled for 20 seconds while input remains.
    const std::jthread watchdog([&](std::stop_token stop) {
      std::mutex m;
      std::unique_lock lock(m);
      std::condition_variable_any tick;
      for (long last = -1, still = 0; !tick.wait_for(lock, stop, std::chrono::seconds(1),
                                                     [&] { return stop.stop_requested(); });
           last = polls_) {
        if ((still = polls_ == last ? still + 1 : 0) == 20) {
          std::fprintf(stderr, "%s, seed %u: %s stopped polling\n", start.c_str(), seed,
                       running.load());
          std::abort();
        }
      }
    });
    rng_.seed(seed);
    left_ = events;
    more();
    int runs = 0;
    for (std::string path = start;;) {
      const auto it = programs().find(path);
      ASSERT_NE(it, programs().end()) << "no program at " << path;
      running = running_ = it->second.name.data();
      Console con(backend_, std::string(it->second.name));  // a new window, cleared
      console_ = &con;
      const Outcome o = run_headless(con, it->second.run);
      console_ = nullptr;
      const std::string after = std::string(it->second.name) + " run " + std::to_string(++runs);
      if (const auto* fatal = std::get_if<FatalErrorShown>(&o)) {
        FAIL() << "fatal error box in " << after << ": " << fatal->text;
      }
      if (!records_whole(after) || ran_out_of_script(o)) {
        break;
      }
      path = ended(o) ? "./Velmora.exe" : started(o);
    }
    std::printf("%d program runs\n", runs);
  }
};

TEST_P(SoakTest, RandomInputKeepsTheRecordsWholeAndNoProgramFails) {
  const char* steps = std::getenv("TUTOR_SOAK_EVENTS");
  soak(steps != nullptr && std::atol(steps) > 0 ? std::atol(steps) : 2000);
}

// Every text a program draws, found from its screens as a learner meets them
// (with a history for the progress views to show, and the fatal error box),
// stands out from the face behind it by at least 4.5:1. Text drawn in the
// colour of its face is hidden on purpose, as a typed character is.
TEST_P(SoakTest, EveryTextStandsOutFromItsFace) {
  history::HistoryWriter seed(root_ / history::kHistoryFile);
  for (const auto& [program, result] : {std::pair{"Ostrin", "pass"},
                                        {"Palvek", "too slow"},
                                        {"Quillon", "pass"},
                                        {"Tesmar", "not yet"},
                                        {"Brandel", "new best"},
                                        {"Zarbet", "名人"}}) {
    ASSERT_TRUE(seed.keep({"2026-12-01T10:00:00+09:00",
                           program,
                           1,
                           60,
                           300,
                           40,
                           "120.5",
                           result,
                           {{1, 30, 10, {{2, 10}}}, {26, 200, 1, {{0, 1}}}},
                           {},
                           {},
                           {}}));
  }
  // The word course on its kana keyboard here (the other soak types romaji).
  std::filesystem::create_directories(root_ / "config/velmora");
  std::ofstream(root_ / "config/velmora/kotoba.conf") << "input=kana\n";
  collecting_text_ = true;
  soak(4000);
  // Screens random typing seldom reaches: the timed test's missed keys and
  // results, every progress view, and the fatal error box.
  backend_.set_system_error_box(false);
  std::filesystem::create_directory(root_ / "M0/data/unreadable");
  const auto collect_in = [&](const char* name, const std::function<void(Console&)>& program,
                              int screens, std::string_view next) {
    Console con(backend_, name);
    running_ = name;
    for (int i = 0; i < screens; ++i) {
      script().inspect([&] { collect_text(con.screen()); }).key(next);
    }
    (void)run_headless(con, program);
  };
  script().enter().key("x").wait(600);  // OK, a key, the time up
  collect_in("Zarbet", programs().find("././M1/Zarbet.exe")->second.run, 2, keys::kEnter);
  collect_in("Progress", programs().find("././M1/Progress.exe")->second.run, 4, keys::kRight);
  collect_in(
      "the fatal error box", [](Console& c) { (void)c.read_record("././M0/data/unreadable"); }, 1,
      keys::kEnter);
  for (const auto& [pair, where] : text_on_faces_) {
    const auto [text, face] = pair;
    EXPECT_TRUE(text == face ||
                contrast_ratio(Colour::from_index(text), Colour::from_index(face)) >= 4.5)
        << "colour " << text << " on face " << face << ", first in " << where;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryProgram,
                         SoakTest,
                         ::testing::Range<size_t>(0, programs().size()),
                         [](const auto& p) {
                           return std::string(std::next(programs().begin(), p.param)->second.name);
                         });

}  // namespace
}  // namespace tutor
