#include "console/program_main.h"
#include "shift/brandel.h"

int main() {
  return tutor::run_program("Brandel", tutor::WorkingFolder::AsStarted,
                            [](tutor::Console& con) { tutor::shift::run_brandel(con); });
}
