#include "console/program_main.h"
#include "launcher/launcher.h"

int main() {
  return tutor::run_program("Velmora", tutor::WorkingFolder::ProgramFolder, tutor::launcher::run);
}
