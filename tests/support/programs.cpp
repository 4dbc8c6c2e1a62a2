#include "tests/support/programs.h"

#include "course/course.h"
#include "keygroups/key_group_course.h"
#include "launcher/launcher.h"
#include "progress/progress_program.h"
#include "records/record_clearing.h"
#include "shift/brandel.h"
#include "trytest/zarbet.h"
#include "words/word_course.h"

namespace tutor::testing {

const std::map<std::string, Program, std::less<>>& programs() {
  auto stage = [](const course::Stage& s) { return [&s](Console& c) { course::run_stage(c, s); }; };
  auto key_group = [](const keygroups::KeyGroupCourse& k) {
    return [&k](Console& c) { keygroups::run_course(c, k); };
  };
  static const std::map<std::string, Program, std::less<>> all = {
      {"./Velmora.exe", {"Velmora", launcher::run}},
      {"././M1/Ostrin.exe", {"Ostrin", stage(course::kOstrin)}},
      {"././M1/Palvek.exe", {"Palvek", stage(course::kPalvek)}},
      {"././M1/Rundel.exe", {"Rundel", stage(course::kRundel)}},
      {"././M1/Mestra.exe", {"Mestra", stage(course::kMestra)}},
      {"././M1/Hollin.exe", {"Hollin", stage(course::kHollin)}},
      {"././M1/Zarbet.exe", {"Zarbet", trytest::run}},
      {"././M1/Quillon.exe", {"Quillon", key_group(keygroups::kQuillon)}},
      {"././M1/Tesmar.exe", {"Tesmar", key_group(keygroups::kTesmar)}},
      {"././M1/Brandel.exe", {"Brandel", shift::run_brandel}},
      {"././M1/Ulvane.exe", {"Ulvane", records::run}},
      {"././M1/Progress.exe", {"Progress", progress::run}},
      {"././M1/Kotoba.exe", {"Kotoba", [](Console& c) { words::run(c, {}); }}},
  };
  return all;
}

}  // namespace tutor::testing
