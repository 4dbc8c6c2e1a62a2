#include "records/record_clearing.h"

#include "console/frame_box.h"
#include "console/records.h"
#include "history/history.h"
#include "records/record_table.h"
#include "trytest/grade_table.h"

namespace tutor::records {
namespace {

constexpr std::string_view kLauncher = "./Velmora.exe";

const Choice& choice(int n) {
  return kChoices[static_cast<size_t>(n - 1)];
}

void draw_screen(Console& con, const ShownRecords& r) {
  con.clear_screen();
  frame_box(con, {50, 12, 590, 300}, kRaisedBox);
  Cell at = con.print({15, 3}, kBlack, " タイピングの記録    ");
  // The values in magenta: blue is a face that carries black and white text,
  // too light to be read as text on cream.
  at = con.print_using(at, kMagenta, "&      &", {r.stage});
  at = con.print(at, kBlack, "    に挑戦中  ");
  con.print_using(at, kMagenta, "&      &", {r.grade});
  con.print_using({22, 5}, kBlack, "数字キー　の記録    &           &",
                  {std::string_view(r.number_keys)});
  con.print_using({22, 7}, kBlack, "記号キー　の記録    &           &",
                  {std::string_view(r.symbol_keys)});
  con.print_using({22, 9}, kBlack, "シフトキーの記録    #### 字 / 分",
                  {static_cast<double>(r.shift_keys)});
  con.print({20, 13}, kBlack, "上記の記録をクリアします。よろしいですか？");
  frame_box(con, {118, 318, 186, 338}, raised_box(kRed));
  con.print({17, 20}, kYellow, "項目");
  con.print({26, 20}, kLightCyan, "を選んで Enter キーを押してください");
  for (const Choice& c : kChoices) {
    frame_box(con, c.button, kRaisedBox);
  }
  con.fill(choice(kNo).button, kRed);
  con.print(choice(kYes).label_cell, kBlack, choice(kYes).label);
  con.print(choice(kNo).label_cell, kYellow, choice(kNo).label);
}

void move_highlight(Console& con, int& selected) {
  con.fill(choice(selected).button, kCream);
  con.print(choice(selected).label_cell, kBlack, choice(selected).label);
  selected = selected == kYes ? kNo : kYes;
  con.fill(choice(selected).button, kRed);
  con.print(choice(selected).label_cell, kYellow, choice(selected).label);
}

// Writes the starting values together, the five records' and the word
// course's: all are on disk before the first record is replaced, so an
// interruption can part them only between two renames, and a failure to
// write leaves all as they were.
[[noreturn]] void clear_and_leave(Console& con) {
  std::array<Console::RecordLine, kRecordFiles.size() + kAlsoCleared.size()> cleared;
  for (size_t i = 0; i < kRecordFiles.size(); ++i) {
    cleared[i] = {kRecordFiles[i].path, kRecordFiles[i].starting_value};
  }
  for (size_t i = 0; i < kAlsoCleared.size(); ++i) {
    cleared[kRecordFiles.size() + i] = {kAlsoCleared[i].path, kAlsoCleared[i].starting_value};
  }
  if (!con.replace_records(cleared)) {
    con.fatal_error();
  }
  // The history keeps every block from before; the mark shows where the
  // records started again.
  history::HistoryWriter::of(con).keep(
      history::Mark{history::local_time_now(), std::string(history::kRecordsCleared)});
  con.start_program(kLauncher);
}

int choice_at(Point p) {
  for (int n : {kYes, kNo}) {
    if (choice(n).button.contains_pixel(p)) {
      return n;
    }
  }
  return 0;
}

}  // namespace

ShownRecords read_records(Console& con) {
  auto line = [&](size_t i) { return con.read_record_if_readable(kRecordFiles[i].path); };
  ShownRecords r;
  const auto stage_line = line(0);
  if (const auto stage = stage_line ? parse_whole_number(*stage_line) : std::nullopt;
      stage && *stage >= 1 && *stage <= 6) {
    r.stage = kStageNames[static_cast<size_t>(*stage)];
  }
  const auto grade_line = line(1);
  if (const auto grade = grade_line ? parse_whole_number(*grade_line) : std::nullopt) {
    r.grade = trytest::grade_name(*grade);  // blank outside 0-67
  }
  r.number_keys = line(2).value_or("");
  r.symbol_keys = line(3).value_or("");
  const auto shift_line = line(4);
  r.shift_keys = shift_line ? parse_number(*shift_line).value_or(0.0f) : 0.0f;
  return r;
}

void run(Console& con) {
  draw_screen(con, read_records(con));
  int selected = kNo;
  while (true) {
    const Event e = con.poll(Arm::mouse());
    switch (e.kind) {
      case Event::Kind::Key:
        if (e.key == keys::kEnter) {
          if (selected == kYes) {
            clear_and_leave(con);
          }
          con.start_program(kLauncher);
        }
        if (e.key == keys::kRight || e.key == keys::kLeft) {
          move_highlight(con, selected);
        }
        break;
      case Event::Kind::Click:
        if (const int n = choice_at(e.pointer); n != 0 && n != selected) {
          move_highlight(con, selected);
        }
        break;
      case Event::Kind::DoubleClick:
        // The button under the pointer decides, not the highlight.
        if (const int n = choice_at(e.pointer); n == kYes) {
          clear_and_leave(con);
        } else if (n == kNo) {
          con.start_program(kLauncher);
        }
        break;
      default:
        break;
    }
  }
}

}  // namespace tutor::records
