#include "classweb/record_merge.h"

#include <array>
#include <charconv>
#include <optional>
#include <set>

namespace tutor::classweb {
namespace {

enum class Better { Higher, Completed, EveryPass };

struct Record {
  std::string_view path;
  Better better;
};
constexpr std::array<Record, 6> kRecords = {{
    {"M0/data/step.TXT", Better::Higher},
    {"M0/data/RANK.TXT", Better::Higher},
    {"M0/data/SUU.TXT", Better::Completed},
    {"M0/data/KIGO.TXT", Better::Completed},
    {"M0/data/SFT.TXT", Better::Higher},
    {"M0/data/KOTOBA.TXT", Better::EveryPass},
}};

constexpr std::string_view kCompleted = "クリアー";
constexpr std::string_view kSettingsFolder = "config/velmora/";
constexpr std::string_view kLessonsFolder = "M0/lessons/";
constexpr std::size_t kLongestName = 120;

std::string_view first_line(std::string_view text) {
  text = text.substr(0, std::min(text.find('\n'), text.size()));
  while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) {
    text.remove_suffix(1);
  }
  while (!text.empty() && text.front() == ' ') {
    text.remove_prefix(1);
  }
  return text;
}

std::optional<double> number_in(std::string_view text) {
  const std::string_view line = first_line(text);
  double value = 0;
  const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (error != std::errc() || end != line.data() + line.size()) {
    return std::nullopt;
  }
  return value;
}

// A file name of a folder's own: no folder in it, no hidden file, not too long.
bool plain_name(std::string_view name) {
  return !name.empty() && name.size() <= kLongestName && name.front() != '.' &&
         name.find('/') == std::string_view::npos && name.find('\\') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

bool ends_with_either(std::string_view name, std::string_view a, std::string_view b) {
  return name.ends_with(a) || name.ends_with(b);
}

std::string every_pass(std::string_view kept, std::string_view sent) {
  std::set<std::string_view> ids;
  for (std::string_view line : {first_line(kept), first_line(sent)}) {
    while (!line.empty()) {
      const std::size_t end = std::min(line.find(' '), line.size());
      if (end > 0) {
        ids.insert(line.substr(0, end));
      }
      line.remove_prefix(std::min(end + 1, line.size()));
    }
  }
  std::string joined;
  for (const std::string_view id : ids) {
    joined += (joined.empty() ? "" : " ") + std::string(id);
  }
  return joined + "\n";
}

}  // namespace

bool follows_learner(std::string_view path) {
  for (const Record& record : kRecords) {
    if (path == record.path) {
      return true;
    }
  }
  if (path.starts_with(kSettingsFolder)) {
    const std::string_view name = path.substr(kSettingsFolder.size());
    return plain_name(name) && name.ends_with(".conf") && name != "window.conf";
  }
  if (path.starts_with(kLessonsFolder)) {
    const std::string_view name = path.substr(kLessonsFolder.size());
    return plain_name(name) && ends_with_either(name, ".txt", ".TXT");
  }
  return false;
}

std::string joined(std::string_view path, std::string_view kept, std::string_view sent) {
  for (const Record& record : kRecords) {
    if (path != record.path) {
      continue;
    }
    switch (record.better) {
      case Better::Higher: {
        const std::optional<double> a = number_in(kept);
        const std::optional<double> b = number_in(sent);
        return std::string(a && (!b || *a > *b) ? kept : sent);
      }
      case Better::Completed:
        return std::string(first_line(kept) == kCompleted ? kept : sent);
      case Better::EveryPass:
        return every_pass(kept, sent);
    }
  }
  return std::string(sent);
}

}  // namespace tutor::classweb
