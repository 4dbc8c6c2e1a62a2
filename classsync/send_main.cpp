// velmora-send: sends a learner's outbox to the class server and ends.
// Started detached by the programs after they keep a block (see send_start.h);
// by hand it waits for no other sender: where one runs, it ends at once.
//   velmora-send [--lock-held] HISTORY [SERVICE]
// --lock-held: the starting program handed over the lock as descriptor 3.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "classsync/outbox_sender.h"
#include "classsync/send_lock.h"
#include "classsync/service_file.h"

namespace {

int send(int argc, char** argv) {
  int arg = 1;
  const bool lock_held = argc > arg && std::string_view(argv[arg]) == "--lock-held";
  arg += lock_held ? 1 : 0;
  if (argc - arg < 1 || argc - arg > 2) {
    std::fprintf(stderr, "usage: velmora-send [--lock-held] HISTORY [SERVICE]\n");
    return 2;
  }
  const std::filesystem::path history = argv[arg];
  const std::string_view service =
      argc - arg == 2 ? argv[arg + 1] : tutor::classsync::kClassService;
  std::optional<tutor::classsync::SendLock> lock = lock_held
                                                       ? tutor::classsync::SendLock::handed_over(3)
                                                       : tutor::classsync::SendLock::take(history);
  if (!lock) {
    return 0;  // another sender runs and sends these too
  }
  return tutor::classsync::run_sender(history, service, std::move(*lock));
}

}  // namespace

int main(int argc, char** argv) {
  const int status = send(argc, argv);
  // Ends without exit handlers, as the programs do (libpq's TLS library keeps
  // what it allocated until then).
  std::fflush(nullptr);
  std::_Exit(status);
}
