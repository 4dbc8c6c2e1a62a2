#include "console/program_main.h"
#include "course/course.h"

int main() {
  return tutor::run_program("Rundel", tutor::WorkingFolder::AsStarted, [](tutor::Console& con) {
    tutor::course::run_stage(con, tutor::course::kRundel);
  });
}
