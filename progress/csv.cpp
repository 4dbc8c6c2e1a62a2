#include "progress/csv.h"

#include <initializer_list>
#include <string>

#include "lessonkit/key_table.h"

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

std::string_view legend_of(int key) {
  if (key == lessonkit::kSpaceBar) {
    return "スペース";  // its cap has no legend
  }
  return key >= 1 && key <= lessonkit::kKeyCount ? lessonkit::key(key).legend : "";
}

}  // namespace

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    return std::string(text);
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

void write_blocks_csv(std::ostream& out, const History& history) {
  write_row(out,
            {"ended_at", "program", "step", "seconds", "right", "wrong", "evaluation", "result"});
  for (const BlockEntry& b : history.blocks) {
    write_row(out, {b.ended_at, b.program, std::to_string(b.step), std::to_string(b.seconds),
                    std::to_string(b.right), std::to_string(b.wrong), b.evaluation, b.result});
  }
}

void write_key_tallies_csv(std::ostream& out, const History& history) {
  write_row(out, {"ended_at", "program", "step", "key", "legend", "right", "wrong", "typed_instead",
                  "count"});
  for (const BlockEntry& b : history.blocks) {
    const std::string step = std::to_string(b.step);
    for (const KeyTally& k : b.keys) {
      const std::string key = std::to_string(k.key);
      write_row(out, {b.ended_at, b.program, step, key, legend_of(k.key), std::to_string(k.right),
                      std::to_string(k.wrong), "", ""});
      for (const Miss& m : k.instead) {
        write_row(out, {b.ended_at, b.program, step, key, legend_of(k.key), "", "",
                        std::to_string(m.typed_instead), std::to_string(m.count)});
      }
    }
  }
}

}  // namespace tutor::progress
