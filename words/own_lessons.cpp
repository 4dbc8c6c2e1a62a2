#include "words/own_lessons.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "console/text.h"
#include "spelling/romaji.h"
#include "words/lesson_text.h"

namespace tutor::words {
namespace {

constexpr off_t kLargestFile = 1 << 20;

// The whole file, or nothing where it cannot be read as a regular file.
std::optional<std::string> contents(const std::filesystem::path& file, std::string& why) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = "読めません";
    return std::nullopt;
  }
  struct stat st {};
  std::string text;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = "ふつうのファイルではありません";
  } else if (st.st_size > kLargestFile) {
    why = "大きすぎます（1MBまで）";
  } else {
    text.resize(static_cast<std::size_t>(st.st_size));
    if (::pread(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
      why = "読めません";
    }
  }
  ::close(fd);
  return why.empty() ? std::optional<std::string>(std::move(text)) : std::nullopt;
}

// The first byte of a line that is not UTF-8, as "\xNN"; empty where the
// line is all UTF-8.
std::string bad_utf8(std::string_view line) {
  const std::string round_trip = encode_utf8(decode_utf8(line));
  const auto mismatch =
      std::mismatch(line.begin(), line.end(), round_trip.begin(), round_trip.end());
  if (mismatch.first == line.end() && mismatch.second == round_trip.end()) {
    return {};
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "\\x%02X",
                static_cast<unsigned>(static_cast<unsigned char>(
                    mismatch.first == line.end() ? line.back() : *mismatch.first)));
  return hex;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

// Characters that would move or hide the text around them on the screen:
// the C0 and C1 controls, DEL, and the bidirectional overrides and isolates.
bool is_control(char32_t c) {
  return c < 0x20 || (c >= 0x7f && c < 0xa0) || (c >= 0x202a && c <= 0x202e) ||
         (c >= 0x2066 && c <= 0x2069);
}

// Why a line cannot be an item; empty when it can.
std::string why_not(const OwnItem& item) {
  if (const std::string bad = bad_utf8(item.written + item.reading); !bad.empty()) {
    return "UTF-8 ではないバイト " + bad + " があります";
  }
  for (const char32_t c : decode_utf8(item.written + item.reading)) {
    if (is_control(c)) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
      return std::string("制御文字 ") + code + " があります";
    }
  }
  // The length first: the spelling matcher's work grows with the square of
  // a reading's length, and a line of any length may be in a file.
  if (decode_utf8(item.written).size() > kLongestItem ||
      decode_utf8(item.reading).size() > kLongestItem) {
    return "長すぎます（" + std::to_string(kLongestItem) + " 字まで）";
  }
  const spelling::RomajiLine line(item.reading);
  if (const auto at = line.untypeable_at()) {
    const std::vector<char32_t> reading = decode_utf8(item.reading);
    return "よみの「" + encode_utf8(reading[*at]) + "」は入力できません";
  }
  return {};
}

}  // namespace

OwnLesson read_own_lesson(const std::filesystem::path& file) {
  OwnLesson lesson{file.filename().string(), file.stem().string(), {}, {}, {}};
  std::string why;
  const auto bytes = contents(file, why);
  if (!bytes) {
    lesson.problems.push_back({lesson.file, 0, why});
    return lesson;
  }
  const std::string text = lesson_text(*bytes);
  std::string_view rest = text;
  bool before_first_item = true;
  for (int number = 1; !rest.empty(); ++number) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    // Tabs kept: one at either end is a written form or a reading left out.
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    while (!line.empty() && line.front() == ' ') {
      line.remove_prefix(1);
    }
    while (!line.empty() && line.back() == ' ') {
      line.remove_suffix(1);
    }
    // '#' starts a comment at the start of a line only: "C#言語" is a word.
    // The first comment before any item names the lesson.
    if (line.starts_with("#!")) {
      const std::string_view directive = trimmed(line.substr(2));
      const auto mark = directive.starts_with("pass")
                            ? parse_pass_mark(trimmed(directive.substr(4)), MarkSource::Lesson)
                            : std::nullopt;
      if (mark) {
        lesson.pass = mark;
      } else {
        lesson.problems.push_back(
            {lesson.file, number,
             "「#! pass 20:90」（1分間のかなの数：正しいキーの％）と書いてください"});
      }
      continue;
    }
    if (line.starts_with('#')) {
      const std::string_view title = trimmed(line.substr(1));
      if (before_first_item && !title.empty() && bad_utf8(title).empty()) {
        lesson.title = cut_to_width(std::string(title), kWidestTitle);
        before_first_item = false;
      }
      continue;
    }
    if (trimmed(line).empty()) {
      continue;
    }
    before_first_item = false;
    const std::size_t tab = line.find('\t');
    OwnItem item;
    if (tab == std::string_view::npos) {
      item = {std::string(line), std::string(line)};
    } else {
      item = {std::string(trimmed(line.substr(0, tab))),
              std::string(trimmed(line.substr(tab + 1)))};
    }
    std::string what = item.reading.find('\t') != std::string::npos ? "タブが多すぎます"
                       : item.written.empty()                       ? "書き方がありません"
                       : item.reading.empty()                       ? "よみがありません"
                                                                    : why_not(item);
    if (what.empty()) {
      lesson.items.push_back(std::move(item));
    } else {
      lesson.problems.push_back({lesson.file, number, what});
    }
  }
  return lesson;
}

std::vector<OwnLesson> read_own_lessons(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".txt") {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  std::vector<OwnLesson> lessons;
  for (const auto& f : files) {
    lessons.push_back(read_own_lesson(f));
  }
  return lessons;
}

}  // namespace tutor::words
