#include "lessonkit/drill.h"

#include "console/frame_box.h"
#include "lessonkit/screen_pieces.h"

namespace tutor::lessonkit {
namespace {

constexpr int kLineLength = 20;

class Drill {
 public:
  Drill(Console& con, const DrillLook& look, const BlockPlan& plan)
      : con_(con), look_(look), plan_(plan), scheme_(plan.initial_scheme) {}

  BlockResult run() {
    remaining_ = static_cast<int>(plan_.lines.size()) * kLineLength;
    if (look_.counter.shown_at_start) {
      update_counter();
    }
    for (size_t line = 0; line < plan_.lines.size(); ++line) {
      prepare_line(static_cast<int>(line) + 1, plan_.lines[line]);
      for (int n = 1; n <= kLineLength; ++n) {
        type_position(n);
      }
    }
    result_.ended_at = con_.timing_clock();
    return result_;
  }

 private:
  [[nodiscard]] const DrillTarget& target(int n) const {
    return targets_[static_cast<size_t>(n - 1)];
  }

  void draw_key(int k, Colour face, Colour shade = kBlack) {
    if (look_.keyboard_shown) {
      lessonkit::draw_key(con_, k, face, shade, *look_.legends);
    }
  }
  void restore_key(int k) { draw_key(k, scheme_->face(k)); }

  void write_cell_text(int n) { con_.print(StripGeometry::text_cell(n), kBlack, target(n).shown); }
  void draw_cell(int n, Colour face, Colour shade) {
    frame_box(con_, look_.strip.cell(n), {kWhite, shade, face});
    write_cell_text(n);
  }
  // The cell with its rim, as the filled cursor covers it.
  void fill_cell_area(int n, Colour c) {
    con_.fill(look_.strip.cell(n).grown(2), c);
    write_cell_text(n);
  }

  void prepare_line(int number, std::string_view line) {
    for (const SchemeChange& change : plan_.schemes) {
      if (change.before_line == number) {
        scheme_ = change.scheme;
        if (look_.keyboard_shown) {
          colour_keys(con_, *scheme_, *look_.legends);
        }
        if (!change.title.empty()) {
          con_.print({22, 1}, kBlack, change.title);
        }
      }
    }
    for (int n = 1; n <= kLineLength; ++n) {
      targets_[static_cast<size_t>(n - 1)] = look_.target_of(line[static_cast<size_t>(n - 1)]);
    }
    for (int n = 1; n <= kLineLength; ++n) {
      const bool lit = look_.cursor == Cursor::LitCell && n == 1;
      draw_cell(n, lit ? kLightCyan : kCream, kBlue);
    }
    fresh_line_ = true;
  }

  void type_position(int n) {
    const DrillTarget& t = target(n);
    if (look_.cursor == Cursor::FilledCell) {
      fill_cell_area(n, kLightCyan);
      con_.outline(look_.strip.cell(n).grown(2), kMagenta);
      write_cell_text(n);
      draw_key(t.key, kLightCyan);
    }
    while (true) {
      if (look_.cursor == Cursor::LitCell && look_.light_next_key) {
        // Rims 15/1 as the line first appears, 15/0 once a key has been typed.
        if (!(look_.mark_outlasts_light && marked_ == t.key)) {
          draw_key(t.key, kLightCyan, fresh_line_ ? kBlue : kBlack);
        }
        if (t.shift_key != 0) {
          draw_key(t.shift_key, kLightCyan);
        }
      }
      const std::string keystroke = wait_keystroke();
      fresh_line_ = false;
      if (!started_) {
        result_.started_at = con_.timing_clock();
        started_ = true;
      }
      unmark();
      if (keystroke == t.accepted[0] || keystroke == t.accepted[1]) {
        typed_right(n);
        return;
      }
      typed_wrong(n, keystroke);
    }
  }

  std::string wait_keystroke() {
    while (true) {
      Event e = con_.poll(Arm::mouse());
      if (e.is_key()) {
        return std::move(e.key);
      }
      if (e.is_mouse() && look_.leaves(e.pointer)) {
        con_.start_program(kLauncher);
      }
    }
  }

  void unmark() {
    if (marked_ != 0) {
      restore_key(marked_);
      marked_ = 0;
    }
  }

  void typed_right(int n) {
    const DrillTarget& t = target(n);
    --remaining_;
    ++result_.right;
    result_.keys.right(t.key);
    update_counter();
    if (look_.cursor == Cursor::FilledCell) {
      fill_cell_area(n, kBlack);
      restore_key(t.key);
      return;
    }
    if (look_.light_next_key) {
      restore_key(t.key);
      if (t.shift_key != 0) {
        restore_key(kLeftShift);
        restore_key(kRightShift);
      }
    }
    // The typed character vanishes with its cell.
    frame_box(con_, look_.strip.cell(n), kBlackBox);
    write_cell_text(n);
    if (n < kLineLength) {
      if (look_.light_next_key) {
        draw_key(target(n + 1).key, kLightCyan);
      }
      draw_cell(n + 1, kLightCyan, look_.cell_shadow);
    }
  }

  void typed_wrong(int n, std::string_view keystroke) {
    const int k = look_.key_of_keystroke(keystroke);
    auto count = [&] {
      ++result_.wrong;
      result_.keys.wrong(target(n).key, k);
    };
    if (look_.cursor == Cursor::FilledCell) {
      fill_cell_area(n, kGrey);
    } else {
      draw_cell(n, kGrey, look_.cell_shadow);
    }
    switch (look_.wrong_keys) {
      case WrongKeys::CountMarkingShiftForUnknown:
        count();
        if (look_.mark_wrong_key) {
          marked_ = k != 0 ? k : kLeftShift;
          draw_key(marked_, kGrey);
        }
        break;
      case WrongKeys::CountMarkingNothingForUnknown:
        count();
        if (look_.mark_wrong_key) {
          marked_ = k != 0 ? k : kLeftShift;
          if (k != 0) {
            draw_key(k, kGrey);
          }
        }
        break;
      case WrongKeys::IgnoreUnknown:
        if (k != 0) {
          count();
          if (look_.mark_wrong_key) {
            marked_ = k;
            draw_key(k, kGrey);
          }
        }
        break;
    }
  }

  void update_counter() {
    if (!counter_shown_ || look_.counter.framed_every_update) {
      if (!counter_shown_ && look_.counter.blanks_row_first) {
        con_.blank({0, 22}, 56);
      }
      clear_counter_row_and_frame(con_);
      counter_shown_ = true;
    }
    write_counter(con_, look_.counter.mask, remaining_);
  }

  Console& con_;
  const DrillLook& look_;
  const BlockPlan& plan_;
  const Scheme* scheme_;
  std::array<DrillTarget, kLineLength> targets_{};
  BlockResult result_;
  int remaining_ = 0;
  int marked_ = 0;  // the key marked as wrongly pressed, 0 for none
  bool started_ = false;
  bool fresh_line_ = false;
  bool counter_shown_ = false;
};

}  // namespace

BlockResult run_block(Console& con, const DrillLook& look, const BlockPlan& plan) {
  return Drill(con, look, plan).run();
}

DrillTarget plain_target(char ch) {
  const int k = key_typing(std::string_view(&ch, 1));
  const Key& kk = key(k);
  return {k, kk.legend, {kk.typed, kk.alternative}, 0};
}

int plain_key_of(std::string_view keystroke) {
  return key_accepting(keystroke);
}

}  // namespace tutor::lessonkit
