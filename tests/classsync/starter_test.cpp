// The sender as the lessons start it: a lesson (keeps_a_block) keeps a block
// in its program tree, whose bin/velmora-send is the real sender, and ends or
// is killed; the computer's service file names the class server as the
// service "velmora", logging in as hanako.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "classsync/send_lock.h"
#include "tests/classsync/computer_fixture.h"

namespace tutor::classsync {
namespace {

using namespace std::chrono_literals;

// Reads a small /proc file by hand: a process may end while it is read,
// which a stream would throw for.
std::string proc_text(const fs::path& file) {
  std::string text(4096, '\0');
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  const ssize_t n = fd >= 0 ? ::read(fd, text.data(), text.size()) : -1;
  if (fd >= 0) {
    ::close(fd);
  }
  text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return text;
}

struct Senders {
  int running = 0;
  int holding = 0;  // holding the lock on the descriptor it was handed (3)
};

// The senders of one history running now, found by their command lines. A
// sender that has let the lock go only looks at the outbox once more before
// it ends; while it does, the next may already run, so only holders are
// "at a time".
Senders senders_of(const fs::path& history) {
  Senders found;
  std::error_code ec;
  for (const fs::directory_entry& process : fs::directory_iterator("/proc", ec)) {
    const std::string cmdline = proc_text(process.path() / "cmdline");
    if (cmdline.find("velmora-send") != std::string::npos &&
        cmdline.find(history.string()) != std::string::npos) {
      ++found.running;
      found.holding +=
          proc_text(process.path() / "fdinfo/3").find("FLOCK") != std::string::npos ? 1 : 0;
    }
  }
  return found;
}

// Counts the senders of a history at every moment it can while it lives.
class SenderWatch {
 public:
  explicit SenderWatch(fs::path history)
      : thread_([this, history = std::move(history)] {
          while (!stop_) {
            const Senders now = senders_of(history);
            most_ = std::max(most_.load(), now.holding);
            ever_ += now.running > 0 ? 1 : 0;
            held_ += now.holding > 0 ? 1 : 0;
          }
        }) {}
  ~SenderWatch() {
    stop_ = true;
    thread_.join();
  }
  [[nodiscard]] int most() const { return most_; }
  [[nodiscard]] bool any_seen() const { return ever_ > 0; }
  [[nodiscard]] bool holder_seen() const { return held_ > 0; }

 private:
  std::atomic<bool> stop_ = false;
  std::atomic<int> most_ = 0;
  std::atomic<int> ever_ = 0;
  std::atomic<int> held_ = 0;
  std::thread thread_;
};

class StarterTest : public SenderTest {
 protected:
  StarterTest() {
    // A tree laid out as installed: the launcher, and the sender in bin/.
    std::ofstream(folder_ / "Velmora") << "";
    fs::create_directories(folder_ / "bin");
    fs::create_symlink(VELMORA_SEND, folder_ / "bin/velmora-send");
    defines_service(true);
  }

  // The computer's own service file, which only its programs read.
  void defines_service(bool velmora) const {
    std::ofstream(service_file()) << "[" << (velmora ? "velmora" : "kyoshitsu")
                                  << "]\nhost=127.0.0.1\nport=" << cluster_.port()
                                  << "\ndbname=velmora\nuser=" << role_of("hanako")
                                  << "\npassfile=" << (cluster_.folder() / "hanako.pgpass").string()
                                  << "\n";
  }
  [[nodiscard]] fs::path service_file() const { return folder_ / "pg_service.conf"; }

  // A lesson keeping block `n`; it ends at once or waits to be killed. Its
  // stdout comes through `out` when given, else goes nowhere.
  pid_t start_lesson(int n, bool wait, int out = -1) const {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::setenv("PGSERVICEFILE", service_file().c_str(), 1);
      const int to = out >= 0 ? out : ::open("/dev/null", O_WRONLY);
      ::dup2(to, STDOUT_FILENO);
      ::execl(KEEPS_A_BLOCK, KEEPS_A_BLOCK, folder_.c_str(), std::to_string(n).c_str(),
              wait ? "wait" : "end", nullptr);
      ::_exit(127);
    }
    return pid;
  }
  static int ended(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
  }

  // Waits, at most 30 s, until the server holds `blocks` of this computer's
  // and no sender of it runs.
  void wait_for_server(std::size_t blocks) const {
    for (auto until = std::chrono::steady_clock::now() + 30s;
         std::chrono::steady_clock::now() < until;) {
      if (server_uids().size() >= blocks && senders_of(history_file()).running == 0) {
        return;
      }
      std::this_thread::sleep_for(20ms);
    }
  }
};

// The lesson killed the moment its block is kept: the sender it started
// carries on alone and the block arrives, once.
TEST_F(StarterTest, ABlockKeptArrivesWhenTheLessonIsKilledAtOnce) {
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  const pid_t lesson = start_lesson(1, true, pipe_fds[1]);
  ::close(pipe_fds[1]);
  char said[5] = {};
  ASSERT_EQ(::read(pipe_fds[0], said, 4), 4);
  ::close(pipe_fds[0]);
  EXPECT_STREQ(said, "kept");
  ::kill(lesson, SIGKILL);
  EXPECT_TRUE(WIFSIGNALED(ended(lesson)));

  wait_for_server(1);
  EXPECT_EQ(server_uids(), local_uids());
  EXPECT_EQ(local_uids().size(), 1u);
  EXPECT_TRUE(history::waiting_blocks(history_file(), 10).empty());
}

// Forty lessons in a row, each keeping a block and handing over at once:
// never two senders holding the lock at a time, and every block on the
// server once.
TEST_F(StarterTest, FortyLessonsInARowRunOneSenderAtATime) {
  {
    SenderWatch watch(history_file());
    for (int n = 0; n < 40; ++n) {
      ASSERT_EQ(ended(start_lesson(n, false)), 0);
    }
    wait_for_server(40);
    EXPECT_TRUE(watch.holder_seen());
    EXPECT_LE(watch.most(), 1);
  }
  EXPECT_EQ(server_uids(), local_uids());
  EXPECT_EQ(local_uids().size(), 40u);
  EXPECT_TRUE(history::waiting_blocks(history_file(), 100).empty());
}

// Without the service, a lesson starts no sender, makes no lock, and its
// blocks wait in the outbox for a day the school has one.
TEST_F(StarterTest, NoServiceStartsNoSender) {
  defines_service(false);
  {
    SenderWatch watch(history_file());
    for (int n = 0; n < 3; ++n) {
      ASSERT_EQ(ended(start_lesson(n, false)), 0);
    }
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(watch.any_seen());
  }
  EXPECT_FALSE(fs::exists(lock_file_of(history_file())));
  EXPECT_EQ(history::waiting_blocks(history_file(), 10).size(), 3u);
  EXPECT_TRUE(server_uids().empty());
}

}  // namespace
}  // namespace tutor::classsync
