#include "progress/progress_program.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <optional>

#include "console/frame_box.h"
#include "console/text.h"
#include "history/history.h"
#include "lessonkit/keyboard.h"
#include "lessonkit/screen_pieces.h"
#include "progress/chart.h"
#include "progress/csv.h"
#include "progress/miss_names.h"
#include "progress/overview.h"
#include "progress/progress_layout.h"
#include "trytest/grade_table.h"

namespace tutor::progress {
namespace {

// Right and wrong keystrokes per key over the recent blocks, and the keys
// typed instead.
struct RecentMisses {
  // Sums of a history that may have been edited: kept wide enough for any.
  std::array<long long, lessonkit::kKeyCount + 1> right{};
  std::array<long long, lessonkit::kKeyCount + 1> wrong{};
  std::map<MissPair, long long> pairs;
};

struct ProgressState {
  std::filesystem::path file;
  Overview overview;
  std::optional<RecentMisses> recent;  // read when first shown
  View view = View::Speed;
};

const ViewButton& button_of(View v) {
  return kViewButtons[static_cast<size_t>(v)];
}

// Text centred on a row between two columns.
void print_centred(Console& con, int row, int from_col, int to_col, Colour c, std::string_view s) {
  con.print({std::max(from_col, (from_col + to_col - display_width(s)) / 2), row}, c, s);
}

void print_right_aligned(Console& con, Cell last, Colour c, std::string_view s) {
  con.print({last.col - display_width(s) + 1, last.row}, c, s);
}

// A text over as many rows as it needs, `width` columns each.
void print_wrapped(Console& con, Cell at, int width, Colour c, std::string_view s) {
  std::string line;
  int used = 0;
  for (char32_t cp : decode_utf8(s)) {
    if (used + char_width(cp) > width) {
      con.print(at, c, line);
      ++at.row;
      line.clear();
      used = 0;
    }
    line += encode_utf8(cp);
    used += char_width(cp);
  }
  con.print(at, c, line);
}

// A count grouped by thousands, every digit exact.
std::string with_commas(long long n) {
  std::string digits = std::to_string(n);
  const size_t first = digits.front() == '-' ? 1 : 0;
  for (size_t at = digits.size(); at > first + 3; at -= 3) {
    digits.insert(at - 3, ",");
  }
  return digits;
}

// ---- The frame round every view --------------------------------------------

void draw_frame(Console& con, const ProgressState& s) {
  con.clear_screen();
  frame_box(con, kTitleBox, kRaisedBox);
  print_centred(con, kTitleRow, kTitleBox.x1 / 8, kTitleBox.x2 / 8, kBlack,
                std::string("練習の記録　") + std::string(button_of(s.view).title));
  for (const ViewButton& b : kViewButtons) {
    const bool selected = b.view == s.view;
    frame_box(con, b.face.grown(2), kRaisedBox);
    con.fill(b.face, selected ? kRed : kCream);
    con.print(b.label_cell, selected ? kYellow : kBlack, b.label);
  }
  frame_box(con, kExitButton, raised_box(kGreen));
  con.print(kExitLabel, kYellow, "終了");
  con.print({2, 24}, kGrey, "← → で表示を切り替え、Esc で戻ります");
}

void show_message(Console& con, std::string_view first, std::string_view second = "") {
  print_centred(con, 10, 0, 80, kGrey, first);
  print_centred(con, 12, 0, 80, kGrey, second);
}

// ---- Line charts over time -------------------------------------------------

struct Series {
  Colour colour;
  std::vector<ChartPoint> points;
};

struct ValueTick {
  double value;
  std::string label;
};

// Dots every four pixels along a value's line, lighter than the data.
void grid_line(Console& con, int y) {
  for (int x = kPlotLeft + 4; x <= kPlotRight; x += 4) {
    con.point({x, y}, kGridColour);
  }
}

// The span of the points and marks, inside the ends of the plot.
Axis time_axis(const std::vector<Series>& series, std::span<const std::int64_t> marks) {
  std::int64_t lo = INT64_MAX, hi = INT64_MIN;
  for (const Series& s : series) {
    for (const ChartPoint& p : s.points) {
      lo = std::min(lo, p.t);
      hi = std::max(hi, p.t);
    }
  }
  for (std::int64_t m : marks) {
    lo = std::min(lo, m);
    hi = std::max(hi, m);
  }
  return {double(lo), double(hi), kPlotLeft + kPointInset, kPlotRight - kPointInset};
}

// A point of a series: filled, or hollow for a failed block; lines passing
// under a hollow one are wiped from its middle.
void draw_point(Console& con, DesignPoint at, Colour c, bool hollow) {
  const Rect r{at.x - 2, at.y - 2, at.x + 2, at.y + 2};
  con.fill(r, hollow ? kBlack : c);
  if (hollow) {
    con.outline(r, c);
  }
}

// The times under the axis: the dates at both ends and, over a longer span,
// in the middle; under two days, the dates with the minute, unless the points
// are days merged.
void draw_times(Console& con, const Axis& x, bool merged) {
  const auto lo = static_cast<std::int64_t>(x.lo), hi = static_cast<std::int64_t>(x.hi);
  const bool minutes = !merged && hi - lo < kMinuteLabelsBelow;
  auto text = [&](std::int64_t t) { return minutes ? minute_text(t) : day_text(t); };
  if (lo == hi) {
    print_centred(con, kDateRow, kPlotLeft / 8, kPlotRight / 8, kGrey, text(lo));
    return;
  }
  con.print({kPlotLeft / 8, kDateRow}, kGrey, text(lo));
  print_right_aligned(con, {kPlotRight / 8 - 1, kDateRow}, kGrey, text(hi));
  if (hi - lo >= kMinuteLabelsBelow) {
    print_centred(con, kDateRow, kPlotLeft / 8, kPlotRight / 8, kGrey, day_text((lo + hi) / 2));
  }
}

// The time axis and the series as drawn, for what is written over them.
struct Plotted {
  Axis x;
  std::vector<Series> series;
};

// The axes, the value grid and its labels, the times, the marks and each
// series as points joined by lines. Series whose points would crowd are
// merged by day, or by longer periods while they still crowd, all alike.
Plotted draw_time_chart(Console& con,
                        std::vector<Series> series,
                        std::span<const std::int64_t> marks,
                        const Axis& value,
                        std::span<const ValueTick> ticks,
                        std::string_view hollow_note,
                        std::optional<double> pass_line = std::nullopt) {
  Axis x = time_axis(series, marks);
  const std::vector<Series> blocks = series;
  bool merged = false;
  for (const MergePeriod& period : kMergePeriods) {
    if (std::none_of(series.begin(), series.end(),
                     [&](const Series& s) { return crowded(s.points, x, kMinPointGap); })) {
      break;
    }
    for (size_t i = 0; i < series.size(); ++i) {
      series[i].points = by_period(blocks[i].points, period.days);
    }
    x = time_axis(series, marks);
    merged = true;
    con.blank({0, kMergeNoteRow}, kColumns);
    print_right_aligned(con, {kPlotRight / 8 - 1, kMergeNoteRow}, kGrey, period.note);
  }
  // From the top down, so that where two labels would touch the lower one
  // gives way and the top of the scale is always named.
  int last_label_row = -10;
  for (auto t = ticks.rbegin(); t != ticks.rend(); ++t) {
    const int y = value.at(t->value);
    grid_line(con, y);
    const int row = y / 16;  // the row whose middle (16 row + 8) is nearest
    if (std::abs(row - last_label_row) >= 2) {
      print_right_aligned(con, {kPlotLeft / 8 - 1, row}, kGrey, t->label);
      last_label_row = row;
    }
  }
  if (pass_line) {
    const int y = value.at(*pass_line);
    con.fill({kPlotLeft + 1, y, kPlotRight, y}, kPassLineColour);
  }
  con.polyline({{kPlotLeft, kPlotTop}, {kPlotLeft, kPlotBottom}, {kPlotRight, kPlotBottom}},
               kAxisColour);
  draw_times(con, x, merged);
  for (std::int64_t m : marks) {
    const int mx = x.at(double(m));
    for (int y = kPlotTop; y < kPlotBottom; y += 3) {
      con.point({mx, y}, kClearedMarkColour);
    }
  }
  auto at = [&](const ChartPoint& p) {
    return DesignPoint{x.at(double(p.t)), std::min(value.at(p.value), kPointFloor)};
  };
  bool any_hollow = false;
  for (const Series& s : series) {
    for (size_t i = 1; i < s.points.size(); ++i) {
      con.polyline({at(s.points[i - 1]), at(s.points[i])}, s.colour);
    }
    for (const ChartPoint& p : s.points) {
      draw_point(con, at(p), s.colour, p.failed);
      any_hollow = any_hollow || p.failed;
    }
  }
  if (any_hollow) {
    draw_point(con, {kPlotLeft + 4, row_middle(kHollowNoteRow)}, kGrey, true);
    con.print({kPlotLeft / 8 + 2, kHollowNoteRow}, kGrey, hollow_note);
  }
  return {x, std::move(series)};
}

// A legend entry: a short line of the series' colour and its label; returns
// the column after it.
int legend_entry(Console& con, int col, Colour c, std::string_view label) {
  const int y = row_middle(kLegendRow);
  con.fill({col * 8, y - 1, col * 8 + 15, y + 1}, c);
  con.print({col + 3, kLegendRow}, kGrey, label);
  return col + 3 + display_width(label) + 1;
}

// The program index of the timed test in kProgramNames.
constexpr size_t kTimedTestIndex = [] {
  size_t i = 0;
  while (kProgramNames[i].program != kTimedTest) {
    ++i;
  }
  return i;
}();

void draw_speed(Console& con, const Overview& o) {
  // A line for each program: a harder stage starts a line of its own rather
  // than continuing the last stage's, as if the learner had slowed down.
  std::vector<Series> series;
  double top = kPassEvaluation;
  for (size_t i = 0; i < kProgramNames.size(); ++i) {
    const int course = course_of(kProgramNames[i].program, kProgramNames[i].input);
    if (course < 0 || o.points[i].empty()) {
      continue;
    }
    for (const ChartPoint& p : o.points[i]) {
      top = std::max(top, p.value);
    }
    series.push_back({kCourses[size_t(course)].colour, o.points[i]});
  }
  if (series.empty()) {
    show_message(con, "まだ記録がありません。",
                 "ブロックを最後まで練習すると、評価がここに表示されます。");
    return;
  }
  int col = 2;
  for (const Course& c : kCourses) {
    col = legend_entry(con, col, c.colour, c.label);
  }
  col = legend_entry(con, col, kPassLineColour, "合格 80");
  legend_entry(con, col, kClearedMarkColour, "クリア");
  // Room above the best block, in whole steps of the grid.
  const int step = value_step(std::min(top * 1.05, 1e7), kValueIntervals);
  const Axis value{0, double(step * kValueIntervals), kPlotBottom, kPlotTop};
  std::vector<ValueTick> ticks;
  for (int i = 0; i <= kValueIntervals; ++i) {
    ticks.push_back({double(i * step), with_commas(i * step)});
  }
  draw_time_chart(con, std::move(series), o.cleared, value, ticks, kFailedBlocksNote,
                  kPassEvaluation);
}

// The grade reached, written over each point that reaches a grade above every
// earlier one; where two would touch, the later is written.
void label_new_grades(Console& con, const Plotted& plotted, const Axis& value) {
  struct Label {
    Cell at;
    std::string_view name;
  };
  std::vector<Label> labels;
  int best = 0;
  for (const ChartPoint& p : plotted.series.front().points) {
    const int grade = trytest::grade_of(p.value);
    if (p.failed || grade <= best) {
      continue;
    }
    best = grade;
    const std::string_view name = trytest::grade_name(grade);
    const int width = display_width(name);
    const int px = plotted.x.at(double(p.t)), py = std::min(value.at(p.value), kPointFloor);
    const int above = (py - 3) / 16 - 1;  // the row clear of the point's top
    const int row = above >= kPlotTopRow ? above : (py + 3 + 15) / 16;
    const int col = std::clamp(px / 8 - width / 2, kPlotLeft / 8 + 1, kPlotRight / 8 - width);
    labels.push_back({{col, row}, name});
  }
  std::vector<Label> written;
  for (auto l = labels.rbegin(); l != labels.rend(); ++l) {
    const int width = display_width(l->name);
    const bool touches = std::any_of(written.begin(), written.end(), [&](const Label& w) {
      return w.at.row == l->at.row && l->at.col <= w.at.col + display_width(w.name) &&
             w.at.col <= l->at.col + width;
    });
    if (!touches) {
      con.print(l->at, kTimedTestColour, l->name);
      written.push_back(*l);
    }
  }
}

void draw_timed_test(Console& con, const Overview& o) {
  Series s{kTimedTestColour, o.points[kTimedTestIndex]};
  if (s.points.empty()) {
    show_message(con, "まだトライ編の記録がありません。",
                 "タイムトライアルを最後まで終えると、得点がここに表示されます。");
    return;
  }
  // From the lowest grade reached to the highest, each grade a band of
  // evaluations; the boundaries are named by the grade that starts there. A
  // test below zero reaches no grade and stretches no scale: it stands hollow
  // at the bottom.
  using trytest::kGradeThresholds;
  int lo_grade = trytest::kGradeCount, hi_grade = 0;
  double hi_value = 0;
  for (const ChartPoint& p : s.points) {
    if (!p.failed) {
      lo_grade = std::min(lo_grade, trytest::grade_of(p.value));
      hi_grade = std::max(hi_grade, trytest::grade_of(p.value));
      hi_value = std::max(hi_value, p.value);
    }
  }
  if (hi_grade == 0) {  // none reached: the first grade's band
    lo_grade = hi_grade = trytest::grade_of(0);
  }
  const double lo = kGradeThresholds[size_t(lo_grade - 1)];
  const double hi = hi_grade < trytest::kGradeCount ? kGradeThresholds[size_t(hi_grade)]
                                                    : std::ceil(hi_value) + 60;
  std::vector<ValueTick> ticks;
  const int every = (hi_grade - lo_grade + kValueIntervals) / kValueIntervals;
  for (int g = lo_grade; g <= hi_grade; g += every) {
    ticks.push_back({double(kGradeThresholds[size_t(g - 1)]), std::string(trytest::grade_name(g))});
  }
  ticks.push_back(
      {hi, std::string(trytest::grade_name(hi_grade < trytest::kGradeCount ? hi_grade + 1 : -1))});
  legend_entry(con, 2, kTimedTestColour, "トライ編の得点（目盛りは段級の下限）");
  const Axis value{lo, hi, kPlotBottom, kPlotTop};
  label_new_grades(
      con, draw_time_chart(con, {std::move(s)}, o.cleared, value, ticks, kFailedTestsNote), value);
}

// ---- Missed keys ------------------------------------------------------------

RecentMisses recent_misses(const history::History& h) {
  RecentMisses m;
  const size_t first = h.blocks.size() - std::min<size_t>(h.blocks.size(), kRecentBlocks);
  for (size_t i = first; i < h.blocks.size(); ++i) {
    const bool shift_course = h.blocks[i].program == kShiftCourse;
    for (const history::KeyTally& k : h.blocks[i].keys) {
      if (k.key < 1 || k.key > lessonkit::kKeyCount) {
        continue;
      }
      m.right[size_t(k.key)] += k.right;
      m.wrong[size_t(k.key)] += k.wrong;
      for (const history::Miss& x : k.instead) {
        m.pairs[{k.key, x.typed_instead, shift_course}] += x.count;
      }
    }
  }
  return m;
}

void draw_missed_keys(Console& con, const RecentMisses& m) {
  const long long typed = std::accumulate(m.right.begin(), m.right.end(), 0LL) +
                          std::accumulate(m.wrong.begin(), m.wrong.end(), 0LL);
  if (typed == 0) {
    show_message(con, "まだ記録がありません。",
                 "ブロックを最後まで練習すると、ミスの多いキーがここに表示されます。");
    return;
  }
  con.print({2, kLegendRow}, kGrey, "ミス率");
  int col = 9;
  auto swatch = [&](Colour face, std::string_view label) {
    frame_box(con, {col * 8, 50, col * 8 + 14, 62}, key_box(face));
    con.print({col + 3, kLegendRow}, kGrey, label);
    col += 3 + display_width(label) + 2;
  };
  swatch(kUntypedFace, "打鍵なし");
  for (const MissBand& b : kMissBands) {
    swatch(b.face, b.label);
  }
  // The most frequent "typed X for Y" pairs, most first, then in key order.
  std::vector<std::pair<MissPair, long long>> pairs(m.pairs.begin(), m.pairs.end());
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  pairs.resize(std::min<size_t>(pairs.size(), kTopPairs));
  con.print({2, 4}, kLightCyan, "最近50ブロックで多かったミス");
  for (size_t i = 0; i < pairs.size(); ++i) {
    const auto& [miss, count] = pairs[i];
    const Cell at{i < 5 ? 4 : 42, 5 + int(i % 5)};  // rows 5-9, beside the title above the keys
    con.print(at, kGrey,
              std::string(i < 9 ? " " : "") + std::to_string(i + 1) + ". " + miss_text(miss) +
                  "  " + with_commas(count) + "回");
  }
  for (int k = 1; k <= lessonkit::kKeyCount; ++k) {
    lessonkit::draw_key(con, k, miss_face(m.right[size_t(k)], m.wrong[size_t(k)]));
  }
}

// ---- Totals -----------------------------------------------------------------

void draw_totals(Console& con, const Overview& o) {
  if (o.blocks == 0) {
    show_message(con, "まだ記録がありません。",
                 "ブロックを最後まで練習すると、合計がここに表示されます。");
    return;
  }
  const std::pair<std::string_view, std::string> lines[] = {
      {"練習した時間",
       with_commas(o.seconds / 3600) + " 時間 " + std::to_string(o.seconds / 60 % 60) + " 分"},
      {"ブロック数", with_commas(o.blocks)},
      {"正しく打った文字", with_commas(o.right)},
      {"ミスタッチ", with_commas(o.wrong)},
  };
  for (int i = 0; i < 4; ++i) {
    con.print({6, 3 + i}, kGrey, lines[i].first);
    print_right_aligned(con, {36, 3 + i}, kYellow, lines[i].second);
  }
  con.print({6, kFirstProgramRow - 1}, kLightCyan, "練習");
  con.print({24, kFirstProgramRow - 1}, kLightCyan, "最高の評価");
  con.print({40, kFirstProgramRow - 1}, kLightCyan, "最新の評価");
  con.print({62, kFirstProgramRow - 1}, kLightCyan, "最新の日付");
  for (size_t i = 0; i < kProgramNames.size(); ++i) {
    const int row = kFirstProgramRow + int(i);
    const ProgramSummary& p = o.programs[i];
    con.print({6, row}, kGrey, kProgramNames[i].shown);
    if (p.blocks == 0) {
      con.print({24, row}, kGrey, "―");
      continue;
    }
    if (p.best_shown.empty()) {
      con.print({24, row}, kGrey, "合格なし");
    } else {
      con.print({24, row}, kYellow, p.best_shown);
    }
    con.print({40, row}, kYellow, p.latest_shown);
    con.print({62, row}, kGrey, p.latest_day);
  }
  con.print({6, kBestNoteRow}, kGrey, kBestNote);
}

// ---- The program --------------------------------------------------------------

void draw(Console& con, ProgressState& s) {
  if (s.view == View::MissedKeys && !s.recent &&
      s.overview.status != history::HistoryRead::Status::Unreadable) {
    const history::HistoryRead r = history::read_history(s.file, kRecentBlocks);
    s.overview.status = r.status;
    s.overview.problem = r.problem;
    s.recent = recent_misses(r.history);
  }
  draw_frame(con, s);
  if (s.overview.status == history::HistoryRead::Status::Unreadable) {
    print_centred(con, 6, 0, 80, kYellow, "練習の記録のファイルを読めません。");
    print_wrapped(con, {2, 8}, 76, kGrey, s.file.string());
    print_wrapped(con, {2, 11}, 76, kGrey, s.overview.problem);
    print_centred(con, 15, 0, 80, kGrey,
                  "ファイルはそのまま残してあります。練習はこれまでどおりできます。");
    return;
  }
  switch (s.view) {
    case View::Speed:
      draw_speed(con, s.overview);
      break;
    case View::TimedTest:
      draw_timed_test(con, s.overview);
      break;
    case View::MissedKeys:
      draw_missed_keys(con, *s.recent);
      break;
    case View::Totals:
      draw_totals(con, s.overview);
      break;
  }
}

View turned(View v, int by) {
  return static_cast<View>((static_cast<int>(v) + by + kViewCount) % kViewCount);
}

}  // namespace

void run(Console& con) {
  run_with(con, read_overview(history::file_of(con)));
}

void run_with(Console& con, Overview overview) {
  ProgressState s;
  s.file = history::file_of(con);
  s.overview = std::move(overview);
  draw(con, s);
  while (true) {
    const Event e = con.poll(Arm::mouse());
    View next = s.view;
    if (e.is_key()) {
      if (e.key == keys::kEscape) {
        con.start_program(lessonkit::kLauncher);
      }
      if (e.key == keys::kRight || e.key == keys::kDown) {
        next = turned(s.view, 1);
      } else if (e.key == keys::kLeft || e.key == keys::kUp) {
        next = turned(s.view, -1);
      }
    } else if (e.is_mouse()) {
      if (kExitButton.contains_pixel(e.pointer)) {
        con.start_program(lessonkit::kLauncher);
      }
      for (const ViewButton& b : kViewButtons) {
        if (b.face.contains_pixel(e.pointer)) {
          next = b.view;
        }
      }
    }
    if (next != s.view) {
      s.view = next;
      draw(con, s);
    }
  }
}

int export_csv(std::span<const std::string_view> options,
               const std::filesystem::path& file,
               std::ostream& out,
               std::ostream& err) {
  std::string_view table;
  bool excel = false;
  bool usable = true;
  for (std::string_view o : options) {
    if ((o == "--csv" || o == "--csv-keys") && table.empty()) {
      table = o;
    } else if (o == "--excel" && !excel) {
      excel = true;
    } else {
      usable = false;
    }
  }
  if (!usable || (table.empty() && !excel)) {
    err << kCsvUsage;
    return 2;
  }
  const history::HistoryRead read = history::read_history(file);
  if (read.status != history::HistoryRead::Status::Read) {
    err << "Progress: no readable progress history at " << file.string() << ": "
        << (read.status == history::HistoryRead::Status::Missing ? "there is no such file"
                                                                 : read.problem)
        << "\n";
    return 1;
  }
  if (excel) {
    out << kByteOrderMark;
  }
  if (table == "--csv-keys") {
    write_key_tallies_csv(out, read.history);
  } else {
    write_blocks_csv(out, read.history);
  }
  out.flush();
  return out ? 0 : 1;
}

}  // namespace tutor::progress
