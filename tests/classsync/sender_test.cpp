#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "classsync/class_settings.h"
#include "tests/classsync/computer_fixture.h"

namespace tutor::classsync {
namespace {

namespace fs = std::filesystem;

// A server down through ten blocks, a sender run after each: the first says
// so on stderr, the other nine keep quiet, and every block waits; once the
// server is back the next run sends all ten, once each, whole, and a later
// failure is told again.
TEST_F(SenderTest, BlocksKeptWhileTheServerIsDownArriveOnceWhenItIsBack) {
  cluster_.stop();
  std::string said;
  for (int n = 0; n < 10; ++n) {
    keep(1, n);
    const testing::Ran ran = send("hanako");
    EXPECT_EQ(ran.status, 1);
    said += ran.err;
  }
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find("class server: the blocks wait on this computer"), std::string::npos) << said;
  EXPECT_EQ(history::waiting_blocks(history_file(), 100).size(), 10u);

  cluster_.start();
  for (int run = 0; run < 2; ++run) {
    const testing::Ran ran = send("hanako");
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.err, "");
  }
  EXPECT_EQ(server_uids(), local_uids());
  EXPECT_TRUE(history::waiting_blocks(history_file(), 100).empty());
  EXPECT_EQ(everything(
                "SELECT count(*) FROM blocks JOIN learners ON role = learner WHERE name = 'hanako' "
                "AND input = 'kana' "
                "AND lesson = ''');  DROP TABLE blocks; --.txt' AND keys->0->>'key' = '26' "
                "AND kana->0->>'kana' = 'か'"),
            "10\n");

  cluster_.stop();
  keep(1, 10);
  EXPECT_NE(send("hanako").err.find("class server"), std::string::npos);
}

// The server stopped in the middle of a send (every process of it, as a
// suspended host): the sender ends itself within its batch's time and says
// so once; the server back, the next sender sends every block, once.
TEST_F(SenderTest, AServerStoppedMidSendEndsTheSenderAndNothingIsLost) {
  keep(3000);
  const pid_t sender = ::fork();
  if (sender == 0) {
    ::execl(VELMORA_SEND, VELMORA_SEND, history_file().c_str(), "hanako", nullptr);
    ::_exit(127);
  }
  // Stopped once the server holds a first batch.
  while (server_uids().empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  cluster_.pause();
  const auto stopped = std::chrono::steady_clock::now();
  int status = 0;
  ::waitpid(sender, &status, 0);
  const auto waited = std::chrono::steady_clock::now() - stopped;
  cluster_.resume();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_LT(waited, std::chrono::seconds(40));
  EXPECT_FALSE(history::waiting_blocks(history_file(), 10).empty());

  const testing::Ran again = send("hanako");
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(server_uids(), local_uids());
  EXPECT_EQ(local_uids().size(), 3000u);
}

// The server going down in the middle of a send is told as that, in words a
// school's administrator reads, and the blocks not taken wait.
TEST_F(SenderTest, AServerGoneMidSendIsToldAsGone) {
  keep(3000);
  int err_pipe[2];
  ASSERT_EQ(::pipe(err_pipe), 0);
  const pid_t sender = ::fork();
  if (sender == 0) {
    ::dup2(err_pipe[1], STDERR_FILENO);
    ::execl(VELMORA_SEND, VELMORA_SEND, history_file().c_str(), "hanako", nullptr);
    ::_exit(127);
  }
  ::close(err_pipe[1]);
  while (server_uids().empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  cluster_.stop();
  std::string said;
  char buffer[512];
  for (ssize_t n; (n = ::read(err_pipe[0], buffer, sizeof buffer)) > 0;) {
    said.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(err_pipe[0]);
  int status = 0;
  ::waitpid(sender, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_NE(said.find("the class server went away"), std::string::npos) << said;
  EXPECT_EQ(said.find("not connected"), std::string::npos) << said;
  EXPECT_FALSE(history::waiting_blocks(history_file(), 10).empty());
}

// A history that cannot be written (here: no file may grow, as on a full or
// read-only disk): every block still reaches the server, not only the first
// batch, and the sender says why they stay.
TEST_F(SenderTest, AHistoryThatCannotBeWrittenStillSendsEveryBlock) {
  keep(450);
  int err_pipe[2];
  ASSERT_EQ(::pipe(err_pipe), 0);
  const pid_t sender = ::fork();
  if (sender == 0) {
    ::dup2(err_pipe[1], STDERR_FILENO);
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_FSIZE, &none);
    ::execl(VELMORA_SEND, VELMORA_SEND, history_file().c_str(), "hanako", nullptr);
    ::_exit(127);
  }
  ::close(err_pipe[1]);
  std::string said;
  char buffer[512];
  for (ssize_t n; (n = ::read(err_pipe[0], buffer, sizeof buffer)) > 0;) {
    said.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(err_pipe[0]);
  int status = 0;
  ::waitpid(sender, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_NE(said.find("the history cannot be written"), std::string::npos) << said;
  EXPECT_EQ(server_uids(), local_uids());
  EXPECT_EQ(history::waiting_blocks(history_file(), 1000).size(), 450u);
}

// A computer killed while it sends, two hundred times at random moments
// (a block kept before each): every block reaches the server exactly once.
TEST_F(SenderTest, KilledWhileSendingNoBlockIsLostOrDoubled) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 200; ++round) {
    keep(1, round);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::execl(VELMORA_SEND, VELMORA_SEND, history_file().c_str(), "hanako", nullptr);
      ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution(0, 40000)(random)));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
  }
  const testing::Ran last = send("hanako");
  ASSERT_EQ(last.status, 0) << last.err;
  EXPECT_EQ(server_uids(), local_uids());
  EXPECT_EQ(local_uids().size(), 200u);
}

// Blocks the server refuses for what they hold, one of a zone sixteen hours
// east as an older tutor kept it, one of negative seconds: each is set
// aside on the computer and told once, and the other twelve arrive.
TEST_F(SenderTest, ABlockTheServerRefusesIsSetAsideAndHoldsBackNoOther) {
  keep(14);
  SQLite::Database(history_file(), SQLite::OPEN_READWRITE)
      .exec(
          "UPDATE blocks SET ended_at = '2026-12-08T04:00:00+16:00' WHERE id = 4;"
          "UPDATE blocks SET seconds = -5 WHERE id = 10");
  const testing::Ran first = send("hanako");
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(std::count(first.err.begin(), first.err.end(), '\n'), 2) << first.err;
  EXPECT_NE(first.err.find("the block of 2026-12-08T04:00:00+16:00 (Kotoba) is kept on this "
                           "computer only: the class server refused a block"),
            std::string::npos)
      << first.err;
  EXPECT_EQ(server_uids().size(), 12u);
  EXPECT_TRUE(history::waiting_blocks(history_file(), 100).empty());
  const auto aside = history::set_aside_blocks(history_file());
  ASSERT_EQ(aside.size(), 2u);
  EXPECT_EQ(aside[0].first, 4);
  EXPECT_NE(aside[1].second.find("block_counts"), std::string::npos) << aside[1].second;

  keep(1, 20);
  const testing::Ran again = send("hanako");
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.err, "");
  EXPECT_EQ(server_uids().size(), 13u);

  // Made now in such a zone, a block's time is the same moment in UTC.
  ::setenv("TZ", "XXX-16", 1);
  ::tzset();
  const std::string sixteen_east = history::local_time(1'765'152'000);
  ::setenv("TZ", "JST-9", 1);
  ::tzset();
  const std::string tokyo = history::local_time(1'765'152'000);
  ::unsetenv("TZ");
  ::tzset();
  EXPECT_EQ(sixteen_east, "2025-12-08T00:00:00+00:00");
  EXPECT_EQ(tokyo, "2025-12-08T09:00:00+09:00");
}

// A class's pass mark, set by its teacher, comes to its learners' computers
// with the next send, and goes when the teacher clears it; a learner sets none.
TEST_F(SenderTest, AClassPassMarkComesToItsLearnersComputers) {
  const fs::path kept = folder_ / "M0/data/class.conf";
  classdb::ClassServer teacher = classdb::ClassServer::connect("suzuki");
  EXPECT_EQ(teacher.pass_mark("5-2", std::optional<std::string>("20")), "20:85");
  keep(1);
  ASSERT_EQ(send("hanako").status, 0);
  EXPECT_EQ(classsync::read_class_pass_mark(kept), "20:85");
  EXPECT_THROW((void)classdb::ClassServer::connect("hanako").pass_mark(
                   "5-2", std::optional<std::string>("1:1")),
               classdb::ServerError);
  EXPECT_THROW((void)teacher.pass_mark("5-3", std::optional<std::string>("1:1")),
               classdb::ServerError);
  EXPECT_THROW((void)teacher.pass_mark("5-2", std::optional<std::string>("fast")),
               classdb::BadName);
  EXPECT_EQ(teacher.pass_mark("5-2", std::optional<std::string>()), std::nullopt);
  ASSERT_EQ(send("hanako").status, 0);
  EXPECT_FALSE(fs::exists(kept));
  EXPECT_EQ(everything("SELECT name, coalesce(pass_mark, '-') FROM classes ORDER BY name"),
            "5-2|-\n5-3|-\n");
}

// A room at once: forty computers, each its own learner's, each sending a
// hundred blocks at the same moment: exactly 4,000 rows, each its learner's.
TEST_F(SenderTest, FortyComputersSendingAtOnceGiveEveryBlockOnce) {
  keep(100);
  classdb::ClassServer admin = classdb::ClassServer::connect(testing::PgCluster::kAdminService);
  std::vector<pid_t> computers;
  for (int i = 0; i < 40; ++i) {
    const std::string learner = "room" + std::to_string(i);
    log_in(learner, admin.add_learner("5-2", learner));
    // The same hundred blocks, each given new uids as a computer of its own would.
    const fs::path history = folder_ / (learner + ".sqlite3");
    fs::copy_file(history_file(), history);
    SQLite::Database(history, SQLite::OPEN_READWRITE)
        .exec("UPDATE blocks SET uid = lower(hex(randomblob(16)))");
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::execl(VELMORA_SEND, VELMORA_SEND, history.c_str(), learner.c_str(), nullptr);
      ::_exit(127);
    }
    computers.push_back(pid);
  }
  for (const pid_t pid : computers) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(everything("SELECT count(*), count(DISTINCT learner) FROM blocks "
                       "JOIN learners ON role = learner WHERE name LIKE 'room%'"),
            "4000|40\n");
  EXPECT_EQ(everything("SELECT count(*) FROM (SELECT learner FROM blocks GROUP BY learner "
                       "HAVING count(*) <> 100) AS uneven"),
            "0\n");
}

}  // namespace
}  // namespace tutor::classsync
