#include "classsync/outbox_sender.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "classdb/classdb.h"
#include "classsync/class_settings.h"
#include "history/history.h"

namespace tutor::classsync {
namespace {

// A server that does not answer costs the sender this long, never a screen.
constexpr int kConnectTimeoutSeconds = 4;
// Blocks a transaction: a day offline sends in a few round trips.
constexpr std::size_t kBatch = 200;
// The longest a batch may take. A server stopped mid-send (its host
// suspended, its processes stopped) still answers TCP, so neither the
// connect timeout nor keep-alives end the wait: the sender ends itself, and
// the next one starts afresh.
constexpr std::chrono::seconds kLongestBatch{20};

void tell_once(const SendLock& lock, const std::string& failure) {
  if (failure != lock.failure_told()) {
    std::fprintf(stderr, "class server: the blocks wait on this computer: %s\n", failure.c_str());
    lock.keep_failure_told(failure);
  }
}

// Ends the sender where a batch takes longer than kLongestBatch. What the
// server did not commit stays in the outbox; what it did is kept once by uid.
class Watchdog {
 public:
  explicit Watchdog(const SendLock& lock)
      : lock_(lock), deadline_(Clock::now() + kLongestBatch), thread_([this] { watch(); }) {}
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
  ~Watchdog() {
    {
      std::lock_guard guard(mutex_);
      done_ = true;
    }
    woken_.notify_all();
    thread_.join();
  }
  // A batch begins: it has kLongestBatch from now.
  void batch_begins() {
    std::lock_guard guard(mutex_);
    deadline_ = Clock::now() + kLongestBatch;
  }

 private:
  using Clock = std::chrono::steady_clock;
  void watch() {
    std::unique_lock guard(mutex_);
    while (!done_) {
      if (woken_.wait_until(guard, deadline_) == std::cv_status::timeout && !done_ &&
          Clock::now() >= deadline_) {
        tell_once(lock_, "the class server did not answer for " +
                             std::to_string(kLongestBatch.count()) + " seconds");
        std::fflush(nullptr);
        std::_Exit(1);
      }
    }
  }

  const SendLock& lock_;
  std::mutex mutex_;
  std::condition_variable woken_;
  Clock::time_point deadline_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace

SendResult send_outbox(const std::filesystem::path& history,
                       std::string_view service,
                       const std::function<void()>& batch_begins) {
  SendResult result;
  try {
    std::optional<classdb::ClassServer> server;
    std::int64_t after = 0;  // past the blocks sent that could not be taken out
    while (true) {
      if (batch_begins) {
        batch_begins();
      }
      const std::vector<history::WaitingBlock> waiting =
          history::waiting_blocks(history, kBatch, after);
      if (waiting.empty()) {
        if (after != 0) {
          // Sent, every one, but they stay: told, since nothing else shows it.
          result.failure =
              "the history cannot be written, so its blocks are sent again "
              "each time (the server keeps each once)";
          return result;
        }
        // Everything is on the server: what it says of the class comes back.
        if (!server) {
          server = classdb::ClassServer::connect(service, kConnectTimeoutSeconds);
        }
        keep_class_pass_mark(class_settings_beside(history), server->own_class_pass_mark());
        result.all_sent = true;
        return result;
      }
      if (!server) {
        server = classdb::ClassServer::connect(service, kConnectTimeoutSeconds);
      }
      std::vector<std::int64_t> ids;
      ids.reserve(waiting.size());
      try {
        server->send(waiting);
        for (const history::WaitingBlock& w : waiting) {
          ids.push_back(w.id);
        }
      } catch (const classdb::BlockRefused&) {
        // One at a time, to find the blocks refused: each is set aside, and
        // the others go as ever.
        for (const history::WaitingBlock& w : waiting) {
          try {
            server->send(std::span(&w, 1));
            ids.push_back(w.id);
          } catch (const classdb::BlockRefused& e) {
            if (!history::set_aside(history, w.id, e.what())) {
              after = std::max(after, w.id);  // it stays: past it, the rest go
            }
            result.set_aside.push_back("the block of " + w.block.ended_at + " (" + w.block.program +
                                       ") is kept on this computer only: " + e.what());
          }
        }
      }
      if (!ids.empty() && !history::take_out_of_outbox(history, ids)) {
        after = std::max(after, ids.back());  // read-only or busy: the rest are sent all the same
      }
    }
  } catch (const classdb::ServerError& e) {
    result.failure = e.what();
    return result;
  }
}

int run_sender(const std::filesystem::path& history, std::string_view service, SendLock lock) {
  Watchdog watchdog(lock);
  while (true) {
    const SendResult sent = send_outbox(history, service, [&] { watchdog.batch_begins(); });
    // Once each: a block set aside is never sent again.
    for (const std::string& aside : sent.set_aside) {
      std::fprintf(stderr, "class server: %s\n", aside.c_str());
    }
    if (!sent.failure.empty()) {
      tell_once(lock, sent.failure);
      return 1;
    }
    if (!lock.failure_told().empty()) {
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
