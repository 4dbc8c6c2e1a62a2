#include "console/program_main.h"
#include "records/record_clearing.h"

int main() {
  return tutor::run_program("Ulvane", tutor::WorkingFolder::AsStarted, tutor::records::run);
}
