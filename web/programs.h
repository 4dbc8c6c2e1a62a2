#pragma once

#include <array>
#include <string>
#include <string_view>

#include "console/console.h"
#include "course/course.h"
#include "course/stages.h"
#include "keygroups/courses.h"
#include "keygroups/key_group_course.h"
#include "launcher/launcher.h"
#include "progress/progress_program.h"
#include "records/record_clearing.h"
#include "shift/brandel.h"
#include "trytest/zarbet.h"
#include "words/word_course.h"

// Every program of the page, by the name its stored path ends in: what the
// desktop execs, the page runs on the same canvas.
namespace tutor::web {

struct PageProgram {
  std::string_view name;
  void (*run)(Console&);
};

inline constexpr std::string_view kLauncher = "Velmora";

inline constexpr std::array kPrograms = {
    PageProgram{kLauncher, launcher::run},
    PageProgram{"Ostrin", [](Console& con) { course::run_stage(con, course::kOstrin); }},
    PageProgram{"Palvek", [](Console& con) { course::run_stage(con, course::kPalvek); }},
    PageProgram{"Rundel", [](Console& con) { course::run_stage(con, course::kRundel); }},
    PageProgram{"Mestra", [](Console& con) { course::run_stage(con, course::kMestra); }},
    PageProgram{"Hollin", [](Console& con) { course::run_stage(con, course::kHollin); }},
    PageProgram{"Quillon", [](Console& con) { keygroups::run_course(con, keygroups::kQuillon); }},
    PageProgram{"Tesmar", [](Console& con) { keygroups::run_course(con, keygroups::kTesmar); }},
    PageProgram{"Brandel", shift::run_brandel},
    PageProgram{"Zarbet", trytest::run},
    PageProgram{"Ulvane", records::run},
    PageProgram{"Progress", progress::run},
    PageProgram{"Kotoba",
                [](Console& con) {
                  std::string problem;
                  words::run(con, words::parse_options({}, problem).value_or(words::Options{}));
                }},
};

}  // namespace tutor::web
