#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

// One sender at a time per history: a lock on a small file beside it. The
// lock belongs to the open file, so a program may take it and hand it to the
// sender it starts, with no moment between in which another could start.
namespace tutor::classsync {

// The lock file of a history: "progress.sqlite3" -> "progress.sqlite3.sending".
// It also holds the last failure the senders told, so that each is told once.
[[nodiscard]] std::filesystem::path lock_file_of(const std::filesystem::path& history);

class SendLock {
 public:
  // Takes the lock without waiting; nothing when another holds it or the
  // file cannot be made (then there is no history to send either).
  [[nodiscard]] static std::optional<SendLock> take(const std::filesystem::path& history);
  // The lock a starting program handed over as an open descriptor.
  [[nodiscard]] static SendLock handed_over(int fd) { return SendLock(fd); }

  SendLock(SendLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  SendLock& operator=(SendLock&& other) noexcept;
  SendLock(const SendLock&) = delete;
  SendLock& operator=(const SendLock&) = delete;
  ~SendLock();

  // Lets it go while the file stays open, and takes it again without
  // waiting: false when another sender took it in between.
  void release();
  [[nodiscard]] bool take_again();

  // The failure last told, and a new one to keep ("" once sending works).
  [[nodiscard]] std::string failure_told() const;
  void keep_failure_told(const std::string& failure) const;

  [[nodiscard]] int fd() const { return fd_; }

 private:
  explicit SendLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace tutor::classsync
