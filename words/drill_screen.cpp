#include "words/drill_screen.h"

#include <algorithm>
#include <optional>
#include <string>

#include "console/text.h"
#include "lessonkit/keyboard.h"
#include "lessonkit/screen_pieces.h"
#include "words/menu_layout.h"

namespace tutor::words {
namespace {

// Where each line of a text starts and ends, in code points, broken between
// characters so that no line takes more than kLineColumns columns.
std::vector<std::pair<std::size_t, std::size_t>> line_spans(const std::vector<char32_t>& text) {
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  std::size_t start = 0;
  int width = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int w = display_width(encode_utf8(text[i]));
    if (width + w > kLineColumns) {
      spans.emplace_back(start, i);
      start = i;
      width = 0;
    }
    width += w;
  }
  spans.emplace_back(start, text.size());
  return spans;
}

std::string part(const std::vector<char32_t>& text, std::size_t from, std::size_t to) {
  return encode_utf8(std::vector<char32_t>(text.begin() + static_cast<long>(from),
                                           text.begin() + static_cast<long>(to)));
}

// An item that takes no more than one line each way.
bool on_one_line(const OwnItem& item) {
  return display_width(item.written) <= kLineColumns && display_width(item.reading) <= kLineColumns;
}

}  // namespace

bool WordDrill::run() {
  draw_screen();
  // Kana input is judged by the key struck, whatever the keyboard map.
  con_.read_keys_by_place(mode_ == InputMode::Kana);
  const bool finished = type_items();
  con_.read_keys_by_place(false);
  restore_keys();
  return finished;
}

std::vector<history::KanaTally> WordDrill::kana_tallies() const {
  std::vector<history::KanaTally> out;
  for (const auto& [kana, counts] : kana_) {
    out.push_back({encode_utf8(std::vector<char32_t>{kana}), counts.first, counts.second});
  }
  return out;
}

std::unique_ptr<ReadingLine> WordDrill::line_of(std::size_t item) const {
  const std::vector<OwnItem>& items = lesson_.items;
  return reading_line(
      mode_, items[item].reading, preferences_,
      item + 1 < items.size() ? std::string_view(items[item + 1].reading) : std::string_view());
}

bool WordDrill::type_items() {
  std::unique_ptr<ReadingLine> line;
  for (std::size_t i = 0; i < lesson_.items.size(); ++i) {
    current_ = i;
    // The next item's line, where the key that ended the last began it.
    if (!next_) {
      next_ = line_of(i);
    }
    line = std::move(next_);
    write_counter(lesson_.items.size() - i);
    draw_item(lesson_.items[i], *line);
    while (!line->done()) {
      if (!take_keystroke(*line)) {
        return false;
      }
    }
    kana_typed_ += static_cast<long>(line->kana_done());
    line->note_choices(chosen_);
  }
  return true;
}

void WordDrill::draw_screen() {
  con_.clear_screen();
  lessonkit::draw_title_bar(con_, kTitleBarFace);
  lessonkit::write_title(con_, lesson_.title, kBlack);
  if (mode_ == InputMode::Kana) {
    lessonkit::draw_kana_keyboard(con_);
    con_.print(kStandInCell, kLightCyan, kStandInNote);
  } else {
    lessonkit::draw_keyboard(con_);
  }
  lessonkit::draw_exit_button(con_);
  lessonkit::draw_counter_frame(con_);
  write_misses();
}

void WordDrill::draw_key(int key, Colour face) {
  if (mode_ == InputMode::Kana) {
    lessonkit::draw_kana_key(con_, key, face);
  } else {
    lessonkit::draw_key(con_, key, face);
  }
}

void WordDrill::write_counter(std::size_t left) {
  con_.print_using(kCounterCell, kYellow, "あと ### 問", {static_cast<double>(left)});
}

void WordDrill::draw_item(const OwnItem& item, const ReadingLine& line) {
  for (int row = kWrittenRow; row <= kGuideRow; ++row) {
    con_.blank({0, row}, 80);
  }
  const int width = display_width(item.written);
  if (!on_one_line(item)) {
    // A passage: shown a line at a time as it is typed (show_progress),
    // broken into lines once.
    passage_ = Passage{decode_utf8(item.reading), decode_utf8(item.written), {}, {}};
    passage_.reading_lines = line_spans(passage_.reading);
    passage_.written_lines = line_spans(passage_.written);
  } else if (2 * width <= kLineColumns) {
    con_.print_large({(80 - 2 * width) / 2, kWrittenRow}, kWhite, item.written);
  } else {
    con_.print({(80 - width) / 2, kWrittenRow + 1}, kWhite, item.written);
  }
  show_progress(item, line);
}

void WordDrill::show_passage(const ReadingLine& line) {
  const std::vector<char32_t>& reading = passage_.reading;
  const std::vector<char32_t>& written = passage_.written;
  const auto& reading_lines = passage_.reading_lines;
  const auto& written_lines = passage_.written_lines;
  const std::size_t done = std::min(line.kana_done(), reading.size());
  std::size_t now = 0;
  while (now + 1 < reading_lines.size() && reading_lines[now].second <= done) {
    ++now;
  }
  // The written form's line as far through it as the reading's is.
  const std::size_t shown_written =
      std::min(written_lines.size() - 1, now * written_lines.size() / reading_lines.size());
  for (int row = kWrittenRow; row < kGuideRow; ++row) {
    con_.blank({0, row}, 80);
  }
  const auto [w_from, w_to] = written_lines[shown_written];
  con_.print({2, kWrittenRow}, kWhite, part(written, w_from, w_to));
  const auto [from, to] = reading_lines[now];
  const Cell r = con_.print({2, kWrittenRow + 1}, kLightGreen,
                            part(reading, from, std::max(from, std::min(done, to))));
  con_.print(r, kWhite, part(reading, std::max(from, std::min(done, to)), to));
  if (now + 1 < reading_lines.size()) {
    const auto [next_from, next_to] = reading_lines[now + 1];
    con_.print({2, kWrittenRow + 2}, kWhite, part(reading, next_from, next_to));
  }
}

void WordDrill::show_progress(const OwnItem& item, const ReadingLine& line) {
  if (!on_one_line(item)) {
    show_passage(line);
    show_guide(line.typed(), line.rest());
    light_next_key(line.next_key());
    return;
  }
  const std::vector<char32_t> reading = decode_utf8(item.reading);
  const std::size_t done = std::min(line.kana_done(), reading.size());
  const std::string typed_reading = encode_utf8(
      std::vector<char32_t>(reading.begin(), reading.begin() + static_cast<long>(done)));
  const std::string left_reading =
      encode_utf8(std::vector<char32_t>(reading.begin() + static_cast<long>(done), reading.end()));
  const int reading_width = display_width(item.reading);
  const Cell r = con_.print({(80 - reading_width) / 2, kReadingRow}, kLightGreen, typed_reading);
  con_.print(r, kWhite, left_reading);
  show_guide(line.typed(), line.rest());
  light_next_key(line.next_key());
}

void WordDrill::show_guide(const std::string& typed_keys, const std::string& rest_keys) {
  constexpr int kRoom = 76;
  std::vector<char32_t> typed = decode_utf8(typed_keys);
  const std::vector<char32_t> rest = decode_utf8(rest_keys);
  auto width = [](char32_t c) { return display_width(encode_utf8(c)); };
  int typed_width = 0;
  for (const char32_t c : typed) {
    typed_width += width(c);
  }
  const int rest_width = display_width(rest_keys);
  if (typed_width + rest_width > kRoom && typed_width > kRoom / 3) {
    while (typed_width > kRoom / 3) {
      typed_width -= width(typed.front());
      typed.erase(typed.begin());
    }
  }
  std::vector<char32_t> shown_rest;
  int shown_width = typed_width;
  for (const char32_t c : rest) {
    if (shown_width + width(c) > kRoom) {
      break;
    }
    shown_width += width(c);
    shown_rest.push_back(c);
  }
  con_.blank({0, kGuideRow}, 80);
  const Cell g = con_.print({(80 - shown_width) / 2, kGuideRow}, kLightGreen, encode_utf8(typed));
  con_.print(g, kYellow, encode_utf8(shown_rest));
}

void WordDrill::light_next_key(Keystroke next) {
  restore_keys();
  for (const int key : {next.key, next.shift_key}) {
    if (key != 0) {
      draw_key(key, kFingers.colour[static_cast<std::size_t>(key)]);
      lit_.push_back(key);
    }
  }
}

void WordDrill::restore_keys() {
  for (const int key : lit_) {
    draw_key(key, kCream);
  }
  lit_.clear();
}

bool WordDrill::take_keystroke(ReadingLine& line) {
  const Event e = con_.poll(Arm::mouse());
  if (e.is_mouse()) {
    return !lessonkit::in_stage_exit_area(e.pointer);
  }
  if (e.is_key() && e.key == keys::kEscape) {
    return false;  // left: the block is not kept
  }
  const std::optional<Stroke> stroke = line.stroke_of(e);
  if (!stroke) {
    return true;  // Enter, Backspace, the cursor keys: not typing
  }
  if (result_.right + result_.wrong == 0) {
    result_.started_at = con_.timing_clock();
  }
  const Keystroke expected = line.next_key();
  auto& kana = kana_[line.kana_now()];
  if (line.type(*stroke)) {
    ++result_.right;
    ++kana.first;
    result_.keys.right(expected.key);
    result_.ended_at = con_.timing_clock();
    clear_miss();
    show_progress(lesson_.items[current_], line);
    click();
    return true;
  }
  if (line.ends_before(*stroke) && current_ + 1 < lesson_.items.size()) {
    // The key begins the next item: the ん before it is whole.
    std::unique_ptr<ReadingLine> next = line_of(current_ + 1);
    const char32_t next_kana = next->kana_now();
    const Keystroke next_expected = next->next_key();
    if (next->type(*stroke)) {
      line.end_before_next();
      ++result_.right;
      ++kana_[next_kana].first;
      result_.keys.right(next_expected.key);
      result_.ended_at = con_.timing_clock();
      clear_miss();
      next_ = std::move(next);
      click();
      return true;
    }
  }
  ++result_.wrong;
  ++kana.second;
  result_.keys.wrong(expected.key, stroke->key);
  light_next_key(expected);
  if (stroke->key != 0 && stroke->key != expected.key) {
    draw_key(stroke->key, kRed);  // red until the next keystroke
    lit_.push_back(stroke->key);
  }
  result_.ended_at = con_.timing_clock();
  write_misses();
  tell_miss(line, *stroke);
  if (sounds_) {
    con_.play(Sound::Miss);
  }
  return true;
}

void WordDrill::click() {
  if (sounds_) {
    con_.play(Sound::KeyClick);
  }
}

void WordDrill::write_misses() {
  con_.print_using(kMissCounterCell, kPink, "まちがい ### 回",
                   {static_cast<double>(result_.wrong)});
}

std::vector<std::string> WordDrill::missed_words() const {
  std::vector<std::string> words;
  for (const std::size_t item : missed_items_) {
    words.push_back(lesson_.items[item].written);
  }
  return words;
}

void WordDrill::tell_miss(const ReadingLine& line, const Stroke& struck) {
  if (missed_items_.empty() || missed_items_.back() != current_) {
    missed_items_.push_back(current_);
  }
  const std::pair<std::size_t, std::size_t> here{current_, line.kana_done()};
  misses_there_ = here == missed_at_ && misses_there_ > 0 ? misses_there_ + 1 : 1;
  missed_at_ = here;
  clear_miss();
  miss_told_ = true;
  if (misses_there_ >= 2) {
    const std::string hint = line.hint();
    con_.print_large({(80 - 2 * display_width(hint)) / 2, kMissRow}, kYellow, hint);
    return;
  }
  std::vector<char32_t> next = decode_utf8(line.rest());
  std::string expected = next.empty() ? std::string() : encode_utf8(next.front());
  if (expected.size() == 1 && expected[0] >= 'a' && expected[0] <= 'z') {
    expected[0] = static_cast<char>(expected[0] - 'a' + 'A');
  }
  const std::string told = "まちがえたキー " + line.shown(struck) + "　つぎは " + expected;
  con_.print({(80 - display_width(told)) / 2, kMissRow}, kPink, told);
}

void WordDrill::clear_miss() {
  if (!miss_told_) {
    return;
  }
  miss_told_ = false;
  con_.blank({0, kMissRow}, 80);
  con_.blank({0, kMissRow + 1}, 80);
  if (mode_ == InputMode::Kana) {
    con_.print(kStandInCell, kLightCyan, kStandInNote);
  }
}

}  // namespace tutor::words
