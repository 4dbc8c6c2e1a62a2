#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "classsync/send_lock.h"

// The sending half of the class server's client, run by velmora-send alone:
// only it loads the PostgreSQL client.
namespace tutor::classsync {

struct SendResult {
  bool all_sent = false;               // the outbox was found empty at the end
  std::string failure;                 // what the server or the connection refused, one line
  std::vector<std::string> set_aside;  // a line a block the server refused
};

// Sends the blocks waiting in a history's outbox to the class server through
// the libpq service, oldest first, in transactions of a few hundred, each
// taken out of the outbox once the server has it. The server keeps each
// block once by its uid, so a run cut off at any moment loses and doubles
// nothing: what is left is sent by the next.
// A block the server refuses for what it holds is set aside in the history
// (kept, never sent again) and holds back no other. Once all are sent, the
// class's pass mark is kept beside the history (class_settings.h).
// `batch_begins`, where given, is called before each batch.
[[nodiscard]] SendResult send_outbox(const std::filesystem::path& history,
                                     std::string_view service,
                                     const std::function<void()>& batch_begins = {});

// A sender's whole run, holding the history's lock: sends until the outbox is
// empty, then lets the lock go and looks once more, so that a block kept
// while it held the lock (whose program therefore started no sender) is
// sent too. A failure goes to stderr once, not again until sending has
// worked. A batch the server takes more than 20 s over ends the sender (a
// server stopped mid-send), told likewise. Returns the exit status: 0, or 1
// when the blocks wait.
int run_sender(const std::filesystem::path& history, std::string_view service, SendLock lock);

}  // namespace tutor::classsync
