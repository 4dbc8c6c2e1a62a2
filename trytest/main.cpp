#include "console/program_main.h"
#include "trytest/zarbet.h"

int main() {
  return tutor::run_program("Zarbet", tutor::WorkingFolder::AsStarted, tutor::trytest::run);
}
