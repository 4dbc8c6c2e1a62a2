#pragma once

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "history/history.h"
#include "tests/classdb/class_fixture.h"

namespace tutor::classsync {

namespace fs = std::filesystem;
using classdb::ClassServerTest;

inline history::BlockEntry numbered_block(int n) {
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

// A learner's computer beside the class server: a program tree whose history
// is M0/data/progress.sqlite3.
class SenderTest : public ClassServerTest {
 protected:
  SenderTest() : folder_(cluster_.folder() / "computer") {
    fs::create_directories(folder_ / "M0/data");
    // These send years of a learner's blocks in a day.
    classdb::ClassServer::connect(testing::PgCluster::kAdminService).blocks_a_day(1'000'000);
  }

  [[nodiscard]] fs::path history_file() const { return folder_ / "M0/data/progress.sqlite3"; }
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

  // velmora-send run by hand on this computer's history.
  [[nodiscard]] testing::Ran send(const std::string& service) const {
    return testing::run_command({VELMORA_SEND, history_file().string(), service});
  }

  fs::path folder_;
};

}  // namespace tutor::classsync
