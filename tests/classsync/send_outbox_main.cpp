// Sends a history's outbox to the class server through a service and waits
// for the round to end: one learner's computer, started and killed by tests
// and benchmarks. Usage: send_outbox HISTORY SERVICE
#include <cstdio>
#include <cstdlib>

#include "classsync/sender.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: send_outbox HISTORY SERVICE\n");
    return 2;
  }
  tutor::classsync::Sender sender(argv[1], argv[2]);
  sender.send_waiting();
  sender.finish();
  // Ends as the programs do, without exit handlers (libpq's TLS library
  // keeps what it allocated until then).
  std::fflush(nullptr);
  std::_Exit(0);
}
