#include "console/program_main.h"
#include "keygroups/key_group_course.h"

int main() {
  return tutor::run_program("Tesmar", tutor::WorkingFolder::AsStarted, [](tutor::Console& con) {
    tutor::keygroups::run_course(con, tutor::keygroups::kTesmar);
  });
}
