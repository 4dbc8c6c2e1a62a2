#include "classsync/sender.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "history/history.h"
#include "tests/classdb/class_fixture.h"

namespace tutor::classsync {
namespace {

namespace fs = std::filesystem;
using classdb::ClassServerTest;

history::BlockEntry numbered_block(int n) {
  history::BlockEntry b;
  b.ended_at = "2026-12-07T10:" + std::to_string(10 + n / 60) + ":" + (n % 60 < 10 ? "0" : "") +
               std::to_string(n % 60) + "+09:00";
  b.program = "Kotoba";
  b.seconds = 60;
  b.right = 100 + n;
  b.evaluation = "90.0";
  b.result = "pass";
  b.keys = {{26, 30, 1, {{27, 1}}}};
  b.lesson = "');  DROP TABLE blocks; --.txt";
  b.input = "kana";
  b.kana = {{"か", 4, 1}};
  return b;
}

class SenderTest : public ClassServerTest {
 protected:
  SenderTest() : folder_(cluster_.folder() / "computer") { fs::create_directories(folder_); }

  [[nodiscard]] fs::path history_file() const { return folder_ / "progress.sqlite3"; }
  void keep(int blocks, int from = 0) {
    history::HistoryWriter writer(history_file());
    for (int n = from; n < from + blocks; ++n) {
      ASSERT_TRUE(writer.keep(numbered_block(n)));
    }
  }
  // The uids of the local blocks, in the order kept.
  [[nodiscard]] std::vector<std::string> local_uids() const {
    SQLite::Database db(history_file());
    SQLite::Statement q(db, "SELECT uid FROM blocks ORDER BY id");
    std::vector<std::string> out;
    while (q.executeStep()) {
      out.push_back(q.getColumn(0).getString());
    }
    return out;
  }
  // The uids on the server, each once per row, in the order they ended.
  [[nodiscard]] std::vector<std::string> server_uids() const {
    std::istringstream rows(
        everything("SELECT replace(uid::text, '-', '') FROM blocks ORDER BY ended_at, uid"));
    std::vector<std::string> out;
    for (std::string line; std::getline(rows, line);) {
      out.push_back(line);
    }
    return out;
  }

  fs::path folder_;
};

// A server down through ten blocks: each program run says so once on
// stderr and keeps them; once it is back, the next run sends all ten, once
// each, whole, and the outbox is empty.
TEST_F(SenderTest, BlocksKeptWhileTheServerIsDownArriveOnceWhenItIsBack) {
  cluster_.stop();
  ::testing::internal::CaptureStderr();
  {
    Sender offline(history_file(), "hanako");
    for (int n = 0; n < 10; ++n) {
      keep(1, n);
      offline.send_waiting();
      offline.finish();
    }
  }
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find("class server"), std::string::npos) << said;
  EXPECT_EQ(history::waiting_blocks(history_file(), 100).size(), 10u);

  cluster_.start();
  for (int run = 0; run < 2; ++run) {
    Sender back(history_file(), "hanako");
    back.send_waiting();
    back.send_waiting();
    back.finish();
  }
  EXPECT_EQ(server_uids(), local_uids());
  EXPECT_TRUE(history::waiting_blocks(history_file(), 100).empty());
  EXPECT_EQ(everything("SELECT count(*) FROM blocks WHERE learner = 'hanako' AND input = 'kana' "
                       "AND lesson = ''');  DROP TABLE blocks; --.txt' AND keys->0->>'key' = '26' "
                       "AND kana->0->>'kana' = 'か'"),
            "10\n");
}

// A computer killed while it sends, two hundred times at random moments
// (a block kept before each): every block reaches the server exactly once.
TEST_F(SenderTest, KilledWhileSendingNoBlockIsLostOrDoubled) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 200; ++round) {
    keep(1, round);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::execl(SEND_OUTBOX, SEND_OUTBOX, history_file().c_str(), "hanako", nullptr);
      ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution(0, 40000)(random)));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
  }
  const testing::Ran last = testing::run_command({SEND_OUTBOX, history_file().string(), "hanako"});
  ASSERT_EQ(last.status, 0) << last.err;
  EXPECT_EQ(server_uids(), local_uids());
  EXPECT_EQ(local_uids().size(), 200u);
}

// A room at once: forty computers, each its own learner's, each sending a
// hundred blocks at the same moment: exactly 4,000 rows, each its learner's.
TEST_F(SenderTest, FortyComputersSendingAtOnceGiveEveryBlockOnce) {
  keep(100);
  classdb::ClassServer admin = classdb::ClassServer::connect(testing::PgCluster::kAdminService);
  std::vector<pid_t> computers;
  for (int i = 0; i < 40; ++i) {
    const std::string learner = "room" + std::to_string(i);
    log_in(admin.add_learner("5-2", learner));
    // The same hundred blocks, each given new uids as a computer of its own would.
    const fs::path history = folder_ / (learner + ".sqlite3");
    fs::copy_file(history_file(), history);
    SQLite::Database(history, SQLite::OPEN_READWRITE)
        .exec("UPDATE blocks SET uid = lower(hex(randomblob(16)))");
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::execl(SEND_OUTBOX, SEND_OUTBOX, history.c_str(), learner.c_str(), nullptr);
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
                       "WHERE learner LIKE 'room%'"),
            "4000|40\n");
  EXPECT_EQ(everything("SELECT count(*) FROM (SELECT learner FROM blocks GROUP BY learner "
                       "HAVING count(*) <> 100) AS uneven"),
            "0\n");
}

}  // namespace
}  // namespace tutor::classsync
