#include "words/preferences.h"

#include "console/settings_file.h"
#include "console/text.h"

namespace tutor::words {
namespace {

constexpr std::string_view kFile = "romaji.conf";
constexpr std::string_view kCourseFile = "kotoba.conf";

}  // namespace

spelling::Preferences parse_preferences(std::string_view text) {
  spelling::Preferences p;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const std::size_t eq = line.find('=');
    if (line.empty() || line.front() == '#' || eq == std::string_view::npos) {
      continue;
    }
    const std::u32string kana = spelling::as_hiragana(line.substr(0, eq));
    const std::string_view spelling = line.substr(eq + 1);
    if (!kana.empty() && !spelling.empty() && spelling.size() <= 4) {
      p[kana] = std::string(spelling);
    }
  }
  return p;
}

std::string preferences_text(const spelling::Preferences& preferences) {
  std::string text = "# The romaji last chosen for each kana, for the word course's guide.\n";
  for (const auto& [kana, spelling] : preferences) {
    text += encode_utf8(std::vector<char32_t>(kana.begin(), kana.end())) + "=" + spelling + "\n";
  }
  return text;
}

spelling::Preferences read_preferences() {
  const auto file = settings_file(kFile);
  const auto text = file ? read_settings_file(*file) : std::nullopt;
  return text ? parse_preferences(*text) : spelling::Preferences{};
}

void write_preferences(const spelling::Preferences& preferences) {
  if (const auto file = settings_file(kFile)) {
    write_settings_file(*file, preferences_text(preferences));
  }
}

InputMode parse_input_mode(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    if (text.substr(0, end) == "input=kana") {
      return InputMode::Kana;
    }
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return InputMode::Romaji;
}

InputMode read_input_mode() {
  const auto file = settings_file(kCourseFile);
  const auto text = file ? read_settings_file(*file) : std::nullopt;
  return text ? parse_input_mode(*text) : InputMode::Romaji;
}

void write_input_mode(InputMode mode) {
  if (const auto file = settings_file(kCourseFile)) {
    write_settings_file(*file, mode == InputMode::Kana ? "input=kana\n" : "input=romaji\n");
  }
}

}  // namespace tutor::words
