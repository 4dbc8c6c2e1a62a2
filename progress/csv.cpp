#include "progress/csv.h"

#include <initializer_list>
#include <ostream>
#include <string>

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

// An evaluation as the result screen showed it ("1,026.7") as a spreadsheet
// reads a number: without the thousands separators.
std::string plain_number(std::string_view shown) {
  std::string plain;
  for (const char c : shown) {
    if (c != ',') {
      plain += c;
    }
  }
  return plain;
}

}  // namespace

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
                    std::to_string(b.right), std::to_string(b.wrong), plain_number(b.evaluation),
                    b.result, b.lesson, b.input});
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
