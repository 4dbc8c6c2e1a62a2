#include "progress/csv.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "console/text.h"

#include "lessonkit/key_table.h"
#include "progress/chart.h"

namespace tutor::progress {
namespace {

void write_row(std::ostream& out, std::initializer_list<std::string_view> fields) {
  bool first = true;
  for (std::string_view f : fields) {
    out << (first ? "" : ",") << csv_field(f);
    first = false;
  }
  out << "\r\n";
}

// The character a key types, as a spreadsheet can match it with what was
// typed: "-" for the minus key, not its full-width legend.
std::string_view character_of(int key) {
  if (key == lessonkit::kSpaceBar) {
    return "スペース";  // a lone blank would read as an empty cell
  }
  return key >= 1 && key <= lessonkit::kKeyCount ? lessonkit::key(key).typed : "";
}

// "12", "-3.5", "1,234.5": the numbers the history holds.
bool plain_number(std::string_view s) {
  if (!s.empty() && s.front() == '-') {
    s.remove_prefix(1);
  }
  if (s.empty() || s.front() < '0' || s.front() > '9') {
    return false;
  }
  const size_t point = std::min(s.find('.'), s.size());
  const std::string_view whole = s.substr(0, point);
  const std::string_view fraction = s.substr(std::min(point + 1, s.size()));
  auto only = [](std::string_view t, std::string_view allowed) {
    return t.find_first_not_of(allowed) == std::string_view::npos;
  };
  return only(whole, "0123456789,") && only(fraction, "0123456789") &&
         (point == s.size() || !fraction.empty());
}

// What a cell may hold: valid UTF-8 without control characters other than the
// line breaks and tabs CSV carries, and never a formula a spreadsheet would
// run ("=HYPERLINK(...)" in an edited history): such a cell starts with a '.
std::string safe_cell(std::string_view text) {
  std::string safe;
  safe.reserve(text.size() + 1);
  // A sign alone is text to every spreadsheet: the minus key's "-" stays as typed.
  const bool lone_sign = text == "-" || text == "+";
  if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos &&
      !plain_number(text) && !lone_sign) {
    safe += '\'';
  }
  for (char32_t cp : decode_utf8(text)) {
    const bool control =
        (cp < 0x20 && cp != '\t' && cp != '\r' && cp != '\n') || (cp >= 0x7f && cp <= 0x9f);
    safe += encode_utf8(control ? U'\uFFFD' : cp);
  }
  return safe;
}

}  // namespace

std::string csv_field(std::string_view field) {
  const std::string text = safe_cell(field);
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    return text;
  }
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') {
      quoted += '"';
    }
  }
  return quoted + "\"";
}

void write_blocks_csv(std::ostream& out, const history::History& kept) {
  write_row(out, {"ended_at", "program", "step", "seconds", "right", "wrong", "evaluation",
                  "result", "lesson", "input"});
  // Marks go among the blocks by the moment they name, whatever the offset it
  // was kept under; where a time cannot be read, by its text.
  auto before = [](const std::string& mark, const std::string& block) {
    const auto m = utc_seconds(mark), b = utc_seconds(block);
    return m && b ? *m < *b : mark < block;
  };
  auto mark = kept.marks.begin();
  auto write_mark = [&] {
    write_row(out, {mark->at, "", "", "", "", "", "", mark->what, "", ""});
    ++mark;
  };
  for (const history::BlockEntry& b : kept.blocks) {
    while (mark != kept.marks.end() && before(mark->at, b.ended_at)) {
      write_mark();
    }
    write_row(out, {b.ended_at, b.program, std::to_string(b.step), std::to_string(b.seconds),
                    std::to_string(b.right), std::to_string(b.wrong), b.evaluation, b.result,
                    b.lesson, b.input});
  }
  while (mark != kept.marks.end()) {
    write_mark();
  }
}

void write_key_tallies_csv(std::ostream& out, const history::History& kept) {
  write_row(out, {"ended_at", "program", "step", "key", "legend", "right", "wrong", "typed_instead",
                  "count"});
  for (const history::BlockEntry& b : kept.blocks) {
    const std::string step = std::to_string(b.step);
    for (const history::KeyTally& k : b.keys) {
      const std::string key = std::to_string(k.key);
      write_row(out, {b.ended_at, b.program, step, key, character_of(k.key),
                      std::to_string(k.right), std::to_string(k.wrong), "", ""});
      for (const history::Miss& m : k.instead) {
        write_row(out, {b.ended_at, b.program, step, key, character_of(k.key), "", "",
                        std::to_string(m.typed_instead), std::to_string(m.count)});
      }
    }
  }
}

}  // namespace tutor::progress
