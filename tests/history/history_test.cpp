#include "history/history.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <regex>

#include <cstdio>
#include <fstream>
#include <optional>

#include "course/material.h"
#include "course/stages.h"
#include "lessonkit/key_table.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/programs.h"

namespace tutor::history {
namespace {

using tutor::testing::started;

// What is written to stderr while `run` runs, through a pipe: a full disk
// stops no pipe.
std::string stderr_of(const std::function<void()>& run) {
  int ends[2];
  if (::pipe(ends) != 0) {
    return "(no pipe)";
  }
  std::fflush(stderr);
  const int saved = ::dup(2);
  ::dup2(ends[1], 2);
  ::close(ends[1]);
  run();
  std::fflush(stderr);
  ::dup2(saved, 2);
  ::close(saved);
  std::string said;
  char chunk[512];
  for (ssize_t n; (n = ::read(ends[0], chunk, sizeof chunk)) > 0;) {
    said.append(chunk, static_cast<size_t>(n));
  }
  ::close(ends[0]);
  return said;
}

class HistoryTest : public tutor::testing::HeadlessTest {
 protected:
  HistoryTest() : HeadlessTest("Rundel") {}

  Outcome run_program(std::string_view stored_path) {
    return run(tutor::testing::programs().find(stored_path)->second.run);
  }
  [[nodiscard]] std::filesystem::path history_file() const { return root_ / kHistoryFile; }
  [[nodiscard]] std::vector<BlockEntry> kept() const {
    return read_history(history_file()).history.blocks;
  }

  // A mark whose text is NULL where the schema forbids it: SQLite's quick
  // check finds it, reading does not.
  void damage_keeping_it_readable() const {
    auto schema = [&](std::string_view from, std::string_view to) {
      SQLite::Database db(history_file(), SQLite::OPEN_READWRITE);
      db.exec("PRAGMA writable_schema = ON");
      SQLite::Statement edit(db, "UPDATE sqlite_schema SET sql = replace(sql, ?, ?)");
      edit.bind(1, std::string(from));
      edit.bind(2, std::string(to));
      edit.exec();
    };
    schema("what TEXT NOT NULL", "what TEXT");
    SQLite::Database(history_file(), SQLite::OPEN_READWRITE)
        .exec("INSERT INTO marks(at, what) VALUES('2026-12-02T10:00:00+09:00', NULL)");
    schema("what TEXT", "what TEXT NOT NULL");
  }

  // In Rundel: step 1 failed with 31 Q for its first character, step 1 passed, then
  // the exit button in the middle of step 2.
  void fail_pass_and_leave() {
    script().key("x").type(std::string(31, 'Q'));
    type_block(course::kRundelStep1, 60);
    script().click({320, 225});
    type_block(course::kRundelStep1, 60);
    script().click({320, 225}).type("AS").click({576, 400});
  }
};

TEST_F(HistoryTest, EveryResultScreenKeepsItsBlockAndLeavingMidBlockKeepsNothing) {
  fail_pass_and_leave();
  EXPECT_EQ(started(run_program("././M1/Rundel.exe")), "./Velmora.exe");
  const std::vector<BlockEntry> blocks = kept();
  ASSERT_EQ(blocks.size(), 2u);
  const int first = lessonkit::key_typing(course::kRundelStep1[0].substr(0, 1));
  const int q = lessonkit::key_typing("Q");
  for (size_t i = 0; i < 2; ++i) {
    const BlockEntry& b = blocks[i];
    EXPECT_EQ(std::tie(b.program, b.step, b.seconds, b.right), std::tuple("Rundel", 1, 60, 400));
    EXPECT_TRUE(b.ended_at.size() == 25 && b.ended_at[10] == 'T' && b.ended_at[22] == ':')
        << b.ended_at;
    int right = 0;
    for (const KeyTally& k : b.keys) {
      right += k.right;
    }
    EXPECT_EQ(right, 400);
  }
  EXPECT_EQ(std::tie(blocks[0].wrong, blocks[0].evaluation, blocks[0].result),
            std::tuple(31, "369.0", "too many errors"));
  EXPECT_EQ(std::tie(blocks[1].wrong, blocks[1].evaluation, blocks[1].result),
            std::tuple(0, "400.0", "pass"));
  const auto first_key = std::find_if(blocks[0].keys.begin(), blocks[0].keys.end(),
                                      [&](const KeyTally& k) { return k.key == first; });
  ASSERT_NE(first_key, blocks[0].keys.end());
  EXPECT_EQ(first_key->wrong, 31);
  EXPECT_EQ(first_key->instead, (std::vector<Miss>{{q, 31}}));
}

// Whatever keeps the history from being written, the lesson runs on as
// before, one line on stderr tells why, and the file stays as it was.
TEST_F(HistoryTest, AHistoryThatCannotBeWrittenNeverStopsALessonAndIsLeftAlone) {
  struct Case {
    const char* name;
    std::function<void()> spoil;
  };
  std::unique_ptr<SQLite::Database> holder;
  std::optional<tutor::testing::FullDisk> full;
  auto a_history = [&] {
    ASSERT_TRUE(HistoryWriter(history_file()).keep(Mark{"2026-12-01T10:00:00+09:00", "x"}));
  };
  const Case cases[] = {
      {"on a full disk",
       [&] {
         a_history();
         full.emplace();
       }},
      {"locked by another connection",
       [&] {
         a_history();
         holder = std::make_unique<SQLite::Database>(history_file(), SQLite::OPEN_READWRITE);
         holder->exec("BEGIN IMMEDIATE");
       }},
      {"damaged", [&] { std::ofstream(history_file()) << std::string(3000, 'z'); }},
      {"damaged, though it still reads",
       [&] {
         a_history();
         damage_keeping_it_readable();
         ASSERT_EQ(read_history(history_file()).status, HistoryRead::Status::Read);
       }},
      {"from a newer version",
       [&] {
         SQLite::Database(history_file(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE)
             .exec("PRAGMA user_version = 99");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(history_file());
    c.spoil();
    const std::string before = tutor::testing::contents_of(history_file());
    fail_pass_and_leave();
    Outcome o;
    const std::string said = stderr_of([&] { o = run_program("././M1/Rundel.exe"); });
    holder.reset();
    full.reset();
    EXPECT_EQ(started(o), "./Velmora.exe");  // through both blocks and out by the exit button
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("progress.sqlite3"), std::string::npos) << said;
    EXPECT_EQ(tutor::testing::contents_of(history_file()), before);
  }
}

TEST(HistoryWriter, AMissingFolderOrAReadOnlyFileIsNeitherMadeNorChanged) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("history-ro-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const auto file = folder / "progress.sqlite3";
  ASSERT_TRUE(HistoryWriter(file).keep(Mark{"2026-12-01T10:00:00+09:00", "x"}));
  EXPECT_FALSE(HistoryWriter(folder / "none" / "progress.sqlite3").keep(Mark{"t", "x"}));
  EXPECT_FALSE(std::filesystem::exists(folder / "none"));
  // Permissions do not stop root: the write is tried as an ordinary user.
  std::filesystem::permissions(folder, std::filesystem::perms(0555));
  std::filesystem::permissions(file, std::filesystem::perms(0444));
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && ::setuid(65534) != 0) {
      ::_exit(3);
    }
    ::_exit(HistoryWriter(file).keep(Mark{"2026-12-02T10:00:00+09:00", "y"}) ? 1 : 0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(read_history(file).history.marks.size(), 1u);
  std::filesystem::permissions(folder, std::filesystem::perms(0755));
  std::filesystem::remove_all(folder);
}

// A commit cut short by kill -9 leaves its journal beside the file; the next
// read rolls it back and shows the history as it was before that commit.
TEST_F(HistoryTest, AHistoryWithTheJournalOfACutCommitIsRead) {
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(HistoryWriter(history_file()).keep(Mark{"2026-12-01T10:00:00+09:00", "x"}));
  }
  const pid_t child = ::fork();
  if (child == 0) {
    SQLite::Database db(history_file(), SQLite::OPEN_READWRITE);
    db.exec("PRAGMA cache_size = 1");  // pages spill into the file before the commit
    db.exec("BEGIN IMMEDIATE");
    for (int i = 0; i < 2000; ++i) {
      db.exec("INSERT INTO marks(at, what) VALUES('2026-12-02T10:00:00+09:00', 'cut short')");
    }
    ::_exit(0);  // no commit, no rollback: as if killed
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  const std::filesystem::path journal = history_file().string() + "-journal";
  ASSERT_TRUE(std::filesystem::exists(journal));
  const HistoryRead r = read_history(history_file());
  ASSERT_EQ(r.status, HistoryRead::Status::Read) << r.problem;
  EXPECT_EQ(r.history.marks.size(), 50u);
  EXPECT_FALSE(std::filesystem::exists(journal));
}

TEST_F(HistoryTest, ClearingTheRecordsMarksAnOlderHistoryAndMovesItForward) {
  {
    // The first layout: blocks and their keys, no marks.
    SQLite::Database old(history_file(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    old.exec(R"(CREATE TABLE blocks(id INTEGER PRIMARY KEY, ended_at TEXT NOT NULL,
                  program TEXT NOT NULL, step INTEGER NOT NULL, seconds INTEGER NOT NULL,
                  typed_right INTEGER NOT NULL, typed_wrong INTEGER NOT NULL,
                  evaluation TEXT NOT NULL, result TEXT NOT NULL);
                CREATE TABLE key_tallies(block_id INTEGER NOT NULL, key INTEGER NOT NULL,
                  typed_right INTEGER NOT NULL, typed_wrong INTEGER NOT NULL,
                  PRIMARY KEY(block_id, key)) WITHOUT ROWID;
                CREATE TABLE key_misses(block_id INTEGER NOT NULL, key INTEGER NOT NULL,
                  typed_instead INTEGER NOT NULL, count INTEGER NOT NULL,
                  PRIMARY KEY(block_id, key, typed_instead)) WITHOUT ROWID;
                INSERT INTO blocks VALUES(1, '2026-11-30T09:00:00+09:00', 'Ostrin', 1, 125,
                  300, 4, '142.1', 'pass');
                INSERT INTO key_tallies VALUES(1, 26, 300, 4);
                INSERT INTO key_misses VALUES(1, 26, 27, 4);
                PRAGMA user_version = 1;)");
  }
  script().key(keys::kRight).enter();
  EXPECT_EQ(started(run_program("././M1/Ulvane.exe")), "./Velmora.exe");
  const HistoryRead r = read_history(history_file());
  ASSERT_EQ(r.status, HistoryRead::Status::Read) << r.problem;
  ASSERT_EQ(r.history.blocks.size(), 1u);
  EXPECT_EQ(r.history.blocks[0].evaluation, "142.1");
  EXPECT_EQ(r.history.blocks[0].keys, (std::vector<KeyTally>{{26, 300, 4, {{27, 4}}}}));
  ASSERT_EQ(r.history.marks.size(), 1u);
  EXPECT_EQ(r.history.marks[0].what, kRecordsCleared);
  EXPECT_EQ(SQLite::Database(history_file()).execAndGet("PRAGMA user_version").getInt(), 5);
  // The moved file keeps the word course's blocks with their keystrokes per kana.
  BlockEntry words{"2026-12-02T09:00:00+09:00",
                   "Kotoba",
                   0,
                   60,
                   90,
                   3,
                   "87.0",
                   "pass",
                   {},
                   "my list.txt",
                   std::string(kInputRomaji),
                   {{"し", 10, 2}, {"ん", 4, 1}}};
  ASSERT_TRUE(HistoryWriter(history_file()).keep(words));
  ASSERT_TRUE(HistoryWriter(history_file()).keep(words));
  const auto kana = recent_kana(history_file(), "Kotoba", 50);
  EXPECT_EQ(kana.at("し"), (std::pair<long long, long long>{20, 4}));
  EXPECT_EQ(kana.at("ん"), (std::pair<long long, long long>{8, 2}));
  EXPECT_EQ(read_history(history_file()).history.blocks.back().lesson, "my list.txt");
  EXPECT_TRUE(recent_kana(history_file(), "Ostrin", 50).empty());
  EXPECT_EQ(record("step.TXT"), "1\n");  // and the records were cleared as ever
  // Every block, the moved one too, waits in the outbox for a class server in
  // the order kept, whole, each with an id of its own, until taken out.
  const std::vector<WaitingBlock> waiting = waiting_blocks(history_file(), 10);
  ASSERT_EQ(waiting.size(), 3u);
  EXPECT_EQ(waiting[0].block.keys, r.history.blocks[0].keys);
  EXPECT_EQ(waiting[2].block.kana, words.kana);
  EXPECT_EQ(waiting[2].block.lesson, "my list.txt");
  for (const WaitingBlock& w : waiting) {
    EXPECT_TRUE(std::regex_match(w.uid, std::regex("[0-9a-f]{32}"))) << w.uid;
  }
  EXPECT_NE(waiting[1].uid, waiting[2].uid);
  ASSERT_TRUE(take_out_of_outbox(history_file(), std::vector{waiting[0].id, waiting[2].id}));
  const std::vector<WaitingBlock> left = waiting_blocks(history_file(), 10);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].uid, waiting[1].uid);
  EXPECT_EQ(waiting_blocks(history_file(), 0).size(), 0u);
}

}  // namespace
}  // namespace tutor::history
