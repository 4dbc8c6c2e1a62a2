#include "classsync/class_settings.h"

#include <fstream>
#include <sstream>

namespace tutor::classsync {
namespace {

constexpr std::string_view kPassKey = "pass=";
// A file of a line or two: anything longer is not ours.
constexpr std::streamsize kLongest = 256;

}  // namespace

std::filesystem::path class_settings_beside(const std::filesystem::path& history) {
  return history.parent_path() / std::filesystem::path(kClassSettingsFile).filename();
}

std::optional<std::string> read_class_pass_mark(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  std::string text(static_cast<std::size_t>(kLongest), '\0');
  in.read(text.data(), kLongest);
  text.resize(static_cast<std::size_t>(in.gcount()));
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line.starts_with(kPassKey) && line.size() > kPassKey.size()) {
      return line.substr(kPassKey.size());
    }
  }
  return std::nullopt;
}

bool keep_class_pass_mark(const std::filesystem::path& file,
                          const std::optional<std::string>& mark) {
  std::error_code ec;
  if (read_class_pass_mark(file) == mark) {
    return true;  // as it is: nothing written
  }
  if (!mark) {
    std::filesystem::remove(file, ec);
    return !ec;
  }
  const std::filesystem::path fresh = file.string() + ".new";
  {
    std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
    out << kPassKey << *mark << "\n";
    if (!out.flush()) {
      std::filesystem::remove(fresh, ec);
      return false;
    }
  }
  std::filesystem::rename(fresh, file, ec);
  return !ec;
}

}  // namespace tutor::classsync
