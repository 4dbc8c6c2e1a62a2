#include "launcher/launcher.h"

#include "classsync/send_start.h"
#include "console/frame_box.h"
#include "history/history.h"
#include "launcher/menu_table.h"

namespace tutor::launcher {
namespace {

// Menu state: the selection, always the entry drawn highlighted.
struct Menu {
  int selected = 1;  // 1-10, or a band button's number
};

const BandEntry* band_entry(int n) {
  for (const BandEntry& b : kBand) {
    if (b.number == n) {
      return &b;
    }
  }
  return nullptr;
}

const MenuEntry& entry(int n) {
  const BandEntry* b = band_entry(n);
  return b != nullptr ? b->entry : kMenu[static_cast<size_t>(n - 1)];
}

void draw_screen(Console& con) {
  con.clear_screen();
  frame_box(con, {135, 11, 485, 37}, kRaisedBox);
  frame_box(con, {15, 75, 624, 295}, kRaisedBox);
  con.print({20, 1}, kBlack, kTitle);
  con.print({26, 20}, kLightCyan, "を選んで Enter キーを押してください");
  // The legend box has the look of a highlighted button; with the prompt it
  // reads as one sentence.
  frame_box(con, {116, 316, 188, 340}, raised_box(kRed));
  con.print({17, 20}, kYellow, "項目");
  frame_box(con, {556, 316, 628, 340}, raised_box(kGreen));
  con.print({72, 20}, kYellow, "終了");
  // Each button's frame stands two units off its face, so a band of the
  // plain face shows round the highlight, which fills the face alone.
  for (int n = 1; n <= kLastEntryNumber; ++n) {
    frame_box(con, entry(n).button.grown(2), kRaisedBox);
  }
  con.fill(entry(1).button, kRed);
  for (int n = 1; n <= kLastEntryNumber; ++n) {
    con.print(entry(n).label_cell, kBlack, entry(n).label);
  }
  con.print(entry(1).label_cell, kYellow, entry(1).label);
}

void move_highlight(Console& con, Menu& menu, int to) {
  const MenuEntry& from = entry(menu.selected);
  con.fill(from.button, kCream);
  con.print(from.label_cell, kBlack, from.label);
  con.fill(entry(to).button, kRed);
  con.print(entry(to).label_cell, kYellow, entry(to).label);
  menu.selected = to;
}

[[noreturn]] void start_entry(Console& con, int n) {
  con.start_program(entry(n).program);
}

// The first button holding the pointer, in entry order; 0 for none.
int button_at(Point p) {
  for (int n = 1; n <= kLastEntryNumber; ++n) {
    if (entry(n).button.contains_pixel(p)) {
      return n;
    }
  }
  return 0;
}

int other_column(int n) {
  return n <= 5 ? n + 5 : n - 5;
}

}  // namespace

void run(Console& con) {
  draw_screen(con);
  con.show_now();
  // Blocks an earlier run could not send (the server was down) go now, while
  // the learner chooses.
  classsync::SendStarter(history::file_of(con), con.file_path(classsync::kLauncherProgram)).start();
  Menu menu;
  while (true) {
    const Event e = con.poll(Arm::mouse_and_function_keys());
    switch (e.kind) {
      case Event::Kind::None:
      case Event::Kind::PlacedKey:  // keys are never read by place here
        break;
      case Event::Kind::FunctionKey:
        if (e.function_key >= 1 && e.function_key <= 10) {
          start_entry(con, e.function_key);
        }
        if (e.function_key == 12) {
          start_entry(con, kProgressEntryNumber);
        }
        break;
      case Event::Kind::Key:
        if (e.key == keys::kEnter) {
          start_entry(con, menu.selected);
        } else if (e.key == "k" || e.key == "K") {
          start_entry(con, kWordCourseEntryNumber);
        } else if (const BandEntry* band = band_entry(menu.selected)) {
          const CursorSteps& to = band->from;
          const int next = e.key == keys::kUp      ? to.up
                           : e.key == keys::kDown  ? to.down
                           : e.key == keys::kLeft  ? to.left
                           : e.key == keys::kRight ? to.right
                                                   : 0;
          if (next != 0) {
            move_highlight(con, menu, next);
          }
        } else if (e.key == keys::kRight || e.key == keys::kLeft) {
          move_highlight(con, menu, other_column(menu.selected));
        } else if (e.key == keys::kUp) {
          move_highlight(con, menu, menu.selected == 1 ? 10 : menu.selected - 1);
        } else if (e.key == keys::kDown) {
          move_highlight(con, menu, menu.selected == 10 ? 1 : menu.selected + 1);
        }
        // Every other key, the letter l and the digits among them, does nothing.
        break;
      case Event::Kind::Click:
      case Event::Kind::DoubleClick: {
        if (kExitArea.contains_pixel(e.pointer)) {
          con.end();
        }
        const int n = button_at(e.pointer);
        if (n != 0) {
          move_highlight(con, menu, n);
          if (e.kind == Event::Kind::DoubleClick) {
            start_entry(con, n);
          }
        }
        break;
      }
    }
  }
}

}  // namespace tutor::launcher
