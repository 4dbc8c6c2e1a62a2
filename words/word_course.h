#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "console/console.h"
#include "words/pass_mark.h"

// The word course Kotoba: Japanese words and sentences typed in romaji, with
// every spelling an input method takes, the guide following the learner, or
// in kana input, key by key on the JIS kana layout.
namespace tutor::words {

struct Options {
  // Started on one lesson file (a teacher's): its start screen, its block,
  // its result, then the launcher.
  std::optional<std::filesystem::path> lesson_file;
  // Typed in kana input rather than the input last chosen on the menu.
  bool kana = false;
  // --pass KANA_PER_MIN[:PERCENT]: the mark every block is judged by.
  std::optional<PassMark> pass;
};

// The options of a command line; nothing, with `problem` said, for a bad one.
[[nodiscard]] std::optional<Options> parse_options(std::span<const std::string_view> args,
                                                   std::string& problem);

// The lesson menu, or the one lesson of the options.
[[noreturn]] void run(Console& con, const Options& options);

}  // namespace tutor::words
