#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tutor {

// What reading a record file found. Missing and unreadable are different
// answers: a program that compares with the stored value may start from a
// default where the file is missing, but must not overwrite a file it could
// not read.
struct RecordRead {
  enum class Status { Read, Missing, Unreadable };
  Status status = Status::Missing;
  std::string line;  // without its line ending, when read

  // The line when read; nothing when missing or unreadable.
  [[nodiscard]] std::optional<std::string> line_if_read() const {
    return status == Status::Read ? std::optional<std::string>(line) : std::nullopt;
  }
};

// The first line of a record file. Missing means there is no file at that
// path; anything else that stops the read (permissions, a folder in its
// place, an I/O error) is unreadable.
[[nodiscard]] RecordRead read_record_file(const std::filesystem::path& file);

// One record file and the line it is to hold.
struct RecordWrite {
  std::filesystem::path file;
  std::string_view line;
};

// Replaces record files, each with one line. Every new line goes to a file of
// its own name beside its record, which is flushed to disk; only when all of
// them are written are they renamed over the records, in order. So a record
// always holds either its old line or its new one, two writers of one record
// never mix (the last rename wins whole), and an interruption can leave some
// records old and some new only between two renames. False when a file could
// not be written; nothing has then been replaced, unless a rename itself
// failed part-way.
[[nodiscard]] bool replace_record_files(std::span<const RecordWrite> writes);
[[nodiscard]] bool replace_record_file(const std::filesystem::path& file, std::string_view line);

// A record read as a whole number ("2", " 2"); nothing for anything else.
[[nodiscard]] std::optional<int> parse_whole_number(std::string_view text);
// A record read as a number ("91.2", "0"); nothing for anything else.
[[nodiscard]] std::optional<float> parse_number(std::string_view text);
// The written form of a number: the shortest text that reads back as the same
// single-precision value ("2", "91.2").
[[nodiscard]] std::string number_text(float value);

}  // namespace tutor
