#pragma once

#include <filesystem>
#include <fstream>
#include <string_view>

#include "tests/support/headless_fixture.h"
#include "words/lessons.h"
#include "words/word_course.h"

namespace tutor::words {

// The word course run headless, with own lessons written into its tree.
class KotobaTest : public tutor::testing::HeadlessTest {
 protected:
  KotobaTest() : HeadlessTest("Kotoba") {}

  std::filesystem::path own_lesson(std::string_view name, std::string_view text) const {
    std::filesystem::create_directories(root_ / kOwnLessonsFolder);
    const auto file = root_ / kOwnLessonsFolder / name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }
  // Started on one lesson file, in kana input where asked.
  static Options lesson_options(const std::filesystem::path& file, bool kana = false) {
    Options o;
    o.lesson_file = file;
    o.kana = kana;
    return o;
  }
  Outcome run_course(Options options = {}) {
    return run([&](Console& c) { words::run(c, options); });
  }
};

}  // namespace tutor::words
