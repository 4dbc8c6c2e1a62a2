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

CourseSettings parse_course_settings(std::string_view text) {
  CourseSettings settings;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line == "input=kana") {
      settings.mode = InputMode::Kana;
    } else if (line == "sound=on") {
      settings.sounds = true;
    } else if (line.starts_with("pass=")) {
      for (std::size_t p = 0; p < kPassPresets.size(); ++p) {
        if (line.substr(5) == kPassPresets[p].conf_name) {
          settings.preset = p;
        }
      }
    }
  }
  return settings;
}

CourseSettings read_course_settings() {
  const auto file = settings_file(kCourseFile);
  const auto text = file ? read_settings_file(*file) : std::nullopt;
  return text ? parse_course_settings(*text) : CourseSettings{};
}

void write_course_settings(const CourseSettings& settings) {
  if (const auto file = settings_file(kCourseFile)) {
    const std::string input = settings.mode == InputMode::Kana ? "kana" : "romaji";
    write_settings_file(
        *file, "input=" + input + "\npass=" + std::string(kPassPresets[settings.preset].conf_name) +
                   "\nsound=" + (settings.sounds ? "on" : "off") + "\n");
  }
}

}  // namespace tutor::words
