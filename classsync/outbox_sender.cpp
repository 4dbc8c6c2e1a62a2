#include "classsync/outbox_sender.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "classdb/classdb.h"
#include "history/history.h"

namespace tutor::classsync {
namespace {

// A server that does not answer costs the sender this long, never a screen.
constexpr int kConnectTimeoutSeconds = 4;
// Blocks a transaction: a day offline sends in a few round trips.
constexpr std::size_t kBatch = 200;

}  // namespace

SendResult send_outbox(const std::filesystem::path& history, std::string_view service) {
  try {
    std::optional<classdb::ClassServer> server;
    while (true) {
      const std::vector<history::WaitingBlock> waiting = history::waiting_blocks(history, kBatch);
      if (waiting.empty()) {
        return {.all_sent = true, .failure = {}};
      }
      if (!server) {
        server = classdb::ClassServer::connect(service, kConnectTimeoutSeconds);
      }
      server->send(waiting);
      std::vector<std::int64_t> ids;
      ids.reserve(waiting.size());
      for (const history::WaitingBlock& w : waiting) {
        ids.push_back(w.id);
      }
      if (!history::take_out_of_outbox(history, ids)) {
        return {};  // the history is busy or read-only: sent again next time
      }
    }
  } catch (const classdb::ServerError& e) {
    return {.all_sent = false, .failure = e.what()};
  }
}

int run_sender(const std::filesystem::path& history, std::string_view service, SendLock lock) {
  while (true) {
    const SendResult sent = send_outbox(history, service);
    const std::string told = lock.failure_told();
    if (!sent.failure.empty()) {
      if (sent.failure != told) {
        std::fprintf(stderr, "class server: the blocks wait on this computer: %s\n",
                     sent.failure.c_str());
        lock.keep_failure_told(sent.failure);
      }
      return 1;
    }
    if (!told.empty()) {
      lock.keep_failure_told("");
    }
    if (!sent.all_sent) {
      return 0;
    }
    lock.release();
    if (history::waiting_blocks(history, 1).empty() || !lock.take_again()) {
      return 0;  // nothing more, or a sender started since sends it
    }
  }
}

}  // namespace tutor::classsync
