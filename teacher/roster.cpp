#include "teacher/roster.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <map>
#include <memory>
#include <optional>

#include "classdb/classdb.h"
#include "console/text.h"

namespace tutor::teacher {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kIdeographicSpace = "\u3000";

// The columns read, in the order RosterLearner keeps them.
constexpr std::array<std::string_view, 3> kColumns = {"出席番号", "氏名", "ログイン名"};

// `bytes` in `encoding` as UTF-8, or nullopt where they are not that
// encoding's text; glibc's UTF-8 decoder refuses overlong forms and
// surrogates, so UTF-8 to UTF-8 checks a file.
std::optional<std::string> as_utf8(std::string_view bytes, const char* encoding) {
  const iconv_t opened = iconv_open("UTF-8", encoding);
  if (opened == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error(std::string("this system's iconv has no ") + encoding);
  }
  const std::unique_ptr<void, decltype(&iconv_close)> cd(opened, &iconv_close);
  std::string text;
  // Every encoding here takes at most three bytes of UTF-8 for each byte of its own.
  text.resize(bytes.size() * 3 + 4);
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  char* out = text.data();
  size_t out_left = text.size();
  // An incomplete character at the end (EINVAL) is as bad as a wrong one.
  if (iconv(cd.get(), &in, &in_left, &out, &out_left) == static_cast<size_t>(-1) || in_left != 0) {
    return std::nullopt;
  }
  text.resize(text.size() - out_left);
  return text;
}

// A record of the CSV and the line it begins on.
struct Record {
  int line = 0;
  std::vector<std::string> fields;
};

// RFC 4180 as spreadsheets write it: fields split by ',', quoted with '"'
// where they hold one of ',', '"' (written twice) or a line break; lines end
// in CRLF, LF or a lone CR.
std::vector<Record> csv_records(std::string_view text) {
  std::vector<Record> records;
  Record record{1, {""}};
  int line = 1;
  bool quoted = false;  // inside a quoted field
  int quote_line = 0;   // where it opened
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    std::string& field = record.fields.back();
    const bool line_break = c == '\n' || c == '\r';
    if (line_break && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;  // one line break, CRLF
    }
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += line_break ? '\n' : c;
      }
    } else if (c == '"' && field.empty()) {
      quoted = true;
      quote_line = line;
    } else if (c == ',') {
      record.fields.emplace_back();
    } else if (line_break) {
      records.push_back(std::move(record));
      record = Record{line + 1, {""}};
    } else {
      field += c;
    }
    line += line_break ? 1 : 0;
  }
  if (quoted) {
    throw NotARoster("the quote opened on line " + std::to_string(quote_line) + " is never closed");
  }
  records.push_back(std::move(record));
  return records;
}

// The field without the spaces around it, ASCII or ideographic.
std::string trimmed(std::string_view field) {
  for (bool cut = true; cut;) {
    cut = false;
    for (const std::string_view space :
         {std::string_view(" "), std::string_view("\t"), kIdeographicSpace}) {
      if (field.starts_with(space)) {
        field.remove_prefix(space.size());
        cut = true;
      }
      if (field.ends_with(space)) {
        field.remove_suffix(space.size());
        cut = true;
      }
    }
  }
  return std::string(field);
}

bool blank(const Record& record) {
  return std::all_of(record.fields.begin(), record.fields.end(),
                     [](const std::string& f) { return trimmed(f).empty(); });
}

// Where each of kColumns is in the header.
std::array<size_t, kColumns.size()> column_places(const Record& header) {
  std::array<size_t, kColumns.size()> places{};
  for (size_t c = 0; c < kColumns.size(); ++c) {
    size_t found = 0;
    for (size_t f = 0; f < header.fields.size(); ++f) {
      if (trimmed(header.fields[f]) == kColumns[c]) {
        places[c] = f;
        ++found;
      }
    }
    if (found != 1) {
      throw NotARoster(std::string(found == 0 ? "no column " : "two columns ") +
                       std::string(kColumns[c]) + " in the header row (line " +
                       std::to_string(header.line) +
                       "): a roster's first row names its columns 出席番号, 氏名 and ログイン名");
    }
  }
  return places;
}

// A whole number from 1 to kHighestNumber, its digits ASCII or full-width
// (as typed in a Japanese input method); 0 for anything else.
int attendance_number(std::string_view text) {
  // U+FF10 to U+FF19 are EF BC 90 to EF BC 99.
  constexpr std::string_view kFullWidthDigitLead = "\xEF\xBC";
  std::string digits;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto last = i + 2 < text.size() ? static_cast<unsigned char>(text[i + 2]) : 0;
    if (text.substr(i, 2) == kFullWidthDigitLead && last >= 0x90 && last <= 0x99) {
      digits += static_cast<char>('0' + (last - 0x90));
      i += 2;
    } else {
      digits += text[i];
    }
  }
  int value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  const bool whole = error == std::errc() && end == digits.data() + digits.size();
  return whole && value >= 1 && value <= kHighestNumber ? value : 0;
}

// What is wrong with a 氏名, or "".
std::string name_problem(std::string_view name) {
  if (name.empty()) {
    return "氏名 is empty";
  }
  const size_t characters = decode_utf8(name).size();
  if (characters > kLongestName) {
    return "氏名 is " + std::to_string(characters) + " characters long, more than " +
           std::to_string(kLongestName);
  }
  if (std::any_of(name.begin(), name.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
    return "氏名 holds a line break or another control character";
  }
  return "";
}

}  // namespace

Roster read_roster(std::string_view bytes, std::span<const std::string> in_class) {
  // Valid UTF-8 is taken as UTF-8: CP932 text of any length is hardly ever that.
  std::optional<std::string> text = as_utf8(bytes, "UTF-8");
  if (!text) {
    text = as_utf8(bytes, "CP932");
  }
  if (!text) {
    throw NotARoster("it is neither UTF-8 nor Shift_JIS (CP932) text");
  }
  std::string_view rows = *text;
  if (rows.starts_with(kByteOrderMark)) {
    rows.remove_prefix(kByteOrderMark.size());
  }
  std::vector<Record> records = csv_records(rows);
  std::erase_if(records, blank);
  if (records.empty()) {
    throw NotARoster(
        "it is empty: a roster's first row names its columns 出席番号, 氏名 and "
        "ログイン名");
  }
  const auto places = column_places(records.front());
  Roster roster;
  std::map<std::string, int> first_line_of;  // each ログイン名 where it first stands
  for (auto r = records.begin() + 1; r != records.end(); ++r) {
    const auto field = [&](size_t column) {
      return places[column] < r->fields.size() ? trimmed(r->fields[places[column]]) : std::string();
    };
    const RosterLearner learner{r->line, attendance_number(field(0)), field(1), field(2)};
    std::vector<std::string> wrong;
    if (learner.number == 0) {
      wrong.push_back("出席番号 \"" + field(0) + "\" is not a whole number from 1 to " +
                      std::to_string(kHighestNumber));
    }
    if (std::string problem = name_problem(learner.name); !problem.empty()) {
      wrong.push_back(std::move(problem));
    }
    try {
      classdb::check_login_name(learner.login);
      if (const auto [first, added] = first_line_of.emplace(learner.login, learner.line); !added) {
        wrong.push_back("ログイン名 \"" + learner.login + "\" is on line " +
                        std::to_string(first->second) + " too");
      } else if (std::find(in_class.begin(), in_class.end(), learner.login) != in_class.end()) {
        wrong.push_back("the class has a learner \"" + learner.login + "\" already");
      }
    } catch (const classdb::BadName& e) {
      wrong.push_back(std::string("ログイン名: ") + e.what());
    }
    if (wrong.empty()) {
      roster.learners.push_back(learner);
      continue;
    }
    std::string what;
    for (const std::string& w : wrong) {
      what += (what.empty() ? "" : "; ") + w;
    }
    roster.problems.push_back({learner.line, what});
  }
  if (roster.learners.empty() && roster.problems.empty()) {
    throw NotARoster("it has a header row and no learner");
  }
  return roster;
}

}  // namespace tutor::teacher
