#pragma once

#include <filesystem>
#include <memory>
#include <string>

// The class server's client: what a learner's computer sends.
namespace tutor::classsync {

// Sends the blocks waiting in a history's outbox to the class server (the
// libpq service "velmora"), oldest first, on a thread of its own: no screen
// ever waits for the network. Without the service nothing is started, not
// even a thread. The server keeps each block once however often it comes, so
// a round may be cut off at any moment (a hand-over, a closed window): what
// is left waits in the outbox for the next round. A refused login, a dropped
// connection or a full server disk is told on stderr once a program run.
class Sender {
 public:
  explicit Sender(std::filesystem::path history, std::string service = "velmora");
  Sender(Sender&&) noexcept;
  Sender& operator=(Sender&&) noexcept;
  // Leaves a round that is running to end by itself, or with the process.
  ~Sender();

  // Starts a round of sending and returns at once; while one runs, it goes
  // round once more when done.
  void send_waiting();
  // Waits for the rounds started to end (for the command line and tests).
  void finish();

 private:
  struct Rounds;
  std::shared_ptr<Rounds> rounds_;
};

}  // namespace tutor::classsync
