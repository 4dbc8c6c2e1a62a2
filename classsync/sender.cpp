#include "classsync/sender.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "classdb/classdb.h"
#include "history/history.h"

namespace tutor::classsync {
namespace {

// A server that does not answer costs a round this long, on its own thread.
constexpr int kConnectTimeoutSeconds = 4;
// Blocks a transaction: a day offline sends in a few round trips.
constexpr std::size_t kBatch = 200;

}  // namespace

struct Sender::Rounds {
  std::filesystem::path history;
  std::string service;
  std::mutex mutex;
  std::condition_variable ended;
  bool running = false;
  bool again = false;
  bool told = false;                  // a failure, on stderr this run
  std::optional<bool> service_there;  // looked up once, by the first round

  void run() {
    std::unique_lock lock(mutex);
    do {
      again = false;
      lock.unlock();
      send_all();
      lock.lock();
    } while (again);
    running = false;
    ended.notify_all();
  }

  void send_all() {
    try {
      std::optional<classdb::ClassServer> server;
      while (true) {
        const std::vector<history::WaitingBlock> waiting = history::waiting_blocks(history, kBatch);
        if (waiting.empty()) {
          return;
        }
        if (!server) {
          server = classdb::ClassServer::connect(service, kConnectTimeoutSeconds);
        }
        server->send(waiting);
        std::vector<std::int64_t> ids;
        for (const history::WaitingBlock& w : waiting) {
          ids.push_back(w.id);
        }
        if (!history::take_out_of_outbox(history, ids)) {
          return;  // the history is busy or read-only: sent again next round
        }
      }
    } catch (const classdb::ServerError& e) {
      std::lock_guard lock(mutex);
      if (!std::exchange(told, true)) {
        std::fprintf(stderr, "class server: the blocks wait on this computer: %s\n", e.what());
      }
    }
  }
};

Sender::Sender(std::filesystem::path history, std::string service)
    : rounds_(std::make_shared<Rounds>()) {
  rounds_->history = std::move(history);
  rounds_->service = std::move(service);
}
Sender::Sender(Sender&&) noexcept = default;
Sender& Sender::operator=(Sender&&) noexcept = default;
Sender::~Sender() = default;

void Sender::send_waiting() {
  std::lock_guard lock(rounds_->mutex);
  if (!rounds_->service_there) {
    // A look at two or three small files: without the service, this is all
    // the class features ever cost.
    rounds_->service_there = classdb::service_defined(rounds_->service);
  }
  if (!*rounds_->service_there) {
    return;
  }
  if (rounds_->running) {
    rounds_->again = true;
    return;
  }
  rounds_->running = true;
  // The thread holds the rounds' state: it may outlive this sender.
  std::thread([rounds = rounds_] { rounds->run(); }).detach();
}

void Sender::finish() {
  std::unique_lock lock(rounds_->mutex);
  rounds_->ended.wait(lock, [&] { return !rounds_->running; });
}

}  // namespace tutor::classsync
