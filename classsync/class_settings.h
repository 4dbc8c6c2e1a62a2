#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// What the class server says of the learner's class, as the sender last
// found it, kept beside the history for the programs that read no server:
// for now the word course's pass mark, "pass=20:90".
namespace tutor::classsync {

// Beside the history of a program tree.
inline constexpr std::string_view kClassSettingsFile = "M0/data/class.conf";
[[nodiscard]] std::filesystem::path class_settings_beside(const std::filesystem::path& history);

// The class's pass mark ("20:90"); none where the file or the mark is missing.
[[nodiscard]] std::optional<std::string> read_class_pass_mark(const std::filesystem::path& file);
// Keeps the mark, written whole (a new file renamed over the old); none
// removes the file. False where it could not be written.
bool keep_class_pass_mark(const std::filesystem::path& file,
                          const std::optional<std::string>& mark);

}  // namespace tutor::classsync
