#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "console/headless.h"
#include "lessonkit/key_table.h"

namespace tutor::testing {

using Records = std::map<std::string, std::string, std::less<>>;
// The five records as a new learner's tree holds them.
inline const Records kStartingRecords = {{"step.TXT", "1\n"},
                                         {"RANK.TXT", "1\n"},
                                         {"SUU.TXT", "未 達 成\n"},
                                         {"KIGO.TXT", "未 達 成\n"},
                                         {"SFT.TXT", "0\n"}};

// The first `count` lines of a drill block, joined.
[[nodiscard]] std::string joined(std::span<const std::string_view> lines, size_t count = SIZE_MAX);

// A scripted console over a fresh program tree: a temporary working folder
// with M0/data holding the five records at their starting values. When a test
// fails, the screen is saved as a PNG under test-pictures/ beside the test
// binary, named after the test.
class HeadlessTest : public ::testing::Test {
 protected:
  // `program` names the console as the program it stands for would.
  explicit HeadlessTest(std::string program = "Test");
  ~HeadlessTest() override;
  void TearDown() override;

  Script& script() { return backend_.script(); }
  // Types the lines of a drill block right, the clock moving on `seconds`
  // between its first keystroke and its last; `skip` characters already typed;
  // `before_last` runs just before the last keystroke.
  void type_block(std::span<const std::string_view> lines,
                  int seconds,
                  size_t skip = 0,
                  const std::function<void()>& before_last = {});

  // Runs a program against the script so far.
  Outcome run(const std::function<void(Console&)>& program);

  // The record file M0/data/<name> as stored, whole; "(missing)" when absent.
  [[nodiscard]] std::string record(std::string_view name) const;
  void write_record(std::string_view name, std::string_view contents) const;
  // The five records as stored, or written.
  [[nodiscard]] Records records() const;
  void write_records(const Records& all) const;
  void remove_record(std::string_view name) const;

  // Text of `width` cells from `at`.
  [[nodiscard]] std::string text(Cell at, int width) const;
  [[nodiscard]] std::string row(int r) const { return con_.screen().text.row_text(r); }
  [[nodiscard]] Colour text_colour(Cell at) const { return con_.screen().text.cell(at).colour; }
  // Palette index of the pixel at a design point (y scaled as drawn).
  [[nodiscard]] int pixel(DesignPoint p) const;
  [[nodiscard]] int pixel_at(Point p) const { return con_.screen().graphics.at(p).index(); }
  // Palette index of a keyboard key's face.
  [[nodiscard]] int key_face(int k) const {
    return pixel({lessonkit::key(k).rect.x1 + 1, lessonkit::key(k).rect.y1 + 1});
  }

  std::filesystem::path root_;
  HeadlessBackend backend_;
  Console con_;
};

// While it lives, no file of this process can grow: every write to a file
// fails as on a full disk (root included, which permissions do not stop).
class FullDisk {
 public:
  FullDisk();
  ~FullDisk();
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

 private:
  unsigned long long saved_limit_;
};

// A file's bytes; "(missing)" when it cannot be read.
[[nodiscard]] std::string contents_of(const std::filesystem::path& file);

// The names in a folder, sorted.
[[nodiscard]] std::vector<std::string> files_in(const std::filesystem::path& folder);

// A text as the text plane shows it back: full-width blanks leave two empty
// cells, which read as two blanks.
[[nodiscard]] std::string as_shown(std::string_view text);

// The stored path a run started, or "" when it did not start a program.
[[nodiscard]] std::string started(const Outcome& o);
[[nodiscard]] bool ended(const Outcome& o);
[[nodiscard]] bool ran_out_of_script(const Outcome& o);

// The centre of a design rectangle in surface pixels, for clicks.
[[nodiscard]] Point centre_of(Rect r);

// A hit rectangle (x1 <= x <= x2, y1*Q <= y <= y2*Q) at its limits: its four
// corner pixels, and the pixels just beyond the middle of each edge.
struct EdgePoints {
  std::array<Point, 4> corners;
  std::array<Point, 4> beyond;
};
[[nodiscard]] EdgePoints edge_points(Rect r);

}  // namespace tutor::testing
