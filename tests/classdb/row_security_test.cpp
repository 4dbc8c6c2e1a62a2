#include <array>
#include <chrono>
#include <thread>

#include "tests/classdb/class_fixture.h"

namespace tutor::classdb {
namespace {

using RowSecurityTest = ClassServerTest;

constexpr std::string_view kHanakos = "a0000000000000000000000000000001";
constexpr std::string_view kTaros = "b0000000000000000000000000000002";
constexpr std::string_view kSatos = "c0000000000000000000000000000003";
constexpr std::string_view kDroppingName = "'); DROP TABLE blocks; --";

// What one role tries, and what it gets: the rows printed, or refused with
// the words given (never for a mistake in the statement).
struct Attempt {
  std::string_view who;
  std::string sql;
  std::string_view rows;  // unused when refused
  std::string_view refused_with = {};
};
constexpr std::string_view kNoPrivilege = "permission denied for table";
constexpr std::string_view kNotItsOwn = "violates row-level security policy";

void try_each(const testing::PgCluster& cluster, const std::vector<Attempt>& attempts) {
  for (const Attempt& a : attempts) {
    const testing::Ran ran = cluster.psql(a.who, a.sql);
    if (!a.refused_with.empty()) {
      EXPECT_NE(ran.status, 0) << a.who << ": " << a.sql << " gave " << ran.out;
      EXPECT_NE(ran.err.find(a.refused_with), std::string::npos) << a.sql << ": " << ran.err;
    } else {
      EXPECT_EQ(ran.status, 0) << a.who << ": " << a.sql << ": " << ran.err;
      EXPECT_EQ(ran.out, a.rows) << a.who << ": " << a.sql;
    }
  }
}

// A block added by hand, as `learner` where one is named, with the columns
// given after the required ones.
std::string insert_as(std::string_view uid,
                      std::string_view learner,
                      std::string_view ended_at = "now()",
                      std::string_view evaluation = "''") {
  const bool named = !learner.empty();
  return "INSERT INTO blocks(uid, " + std::string(named ? "learner, " : "") +
         "ended_at, program, step, seconds, typed_right, typed_wrong, evaluation, result) "
         "VALUES('" +
         std::string(uid) + "', " + (named ? "'" + std::string(learner) + "', " : std::string()) +
         std::string(ended_at) + ", 'Forged', 1, 1, 1, 1, " + std::string(evaluation) +
         ", '') ON CONFLICT DO NOTHING";
}

TEST_F(RowSecurityTest, EachRoleReachesOnlyWhatItMay) {
  ClassServer::connect("hanako").send(
      std::array{block(std::string(kHanakos), "Ostrin", std::string(kDroppingName))});
  ClassServer::connect("taro").send(std::array{block(std::string(kTaros), "Palvek")});
  ClassServer::connect("sato").send(std::array{block(std::string(kSatos), "Rundel")});

  const std::string taro_where = " WHERE uid = '" + std::string(kTaros) + "'";
  try_each(
      cluster_,
      {
          // A learner reads itself and its class, and no block, not even its own:
          // sending needs none, and what it may not read it cannot count.
          {"hanako", "SELECT name, class FROM learners", "hanako|5-2\n"},
          {"sato", "SELECT name FROM classes", "5-3\n"},
          {"hanako", "SELECT count(*) FROM blocks", "", kNoPrivilege},
          {"hanako", "EXPLAIN ANALYZE SELECT * FROM blocks", "", kNoPrivilege},
          // No role's name tells a learner's name or class: the roster is the
          // tables', where each sees only what it may.
          {"hanako", "SELECT count(*) FROM pg_roles WHERE rolname ~ '(hanako|taro|sato|5-2|5-3)'",
           "0\n"},
          // It adds no block as another, nor by another's uid, and changes none.
          {"hanako", insert_as("d0000000000000000000000000000004", role_of("taro")), "",
           kNoPrivilege},
          {"taro", insert_as(kHanakos, "") + " RETURNING uid", "", kNoPrivilege},
          {"taro", insert_as(kHanakos, ""), ""},
          {"hanako", "UPDATE blocks SET program = 'Zarbet'" + taro_where, "", kNoPrivilege},
          {"hanako", "DELETE FROM blocks" + taro_where, "", kNoPrivilege},
          {"hanako", "TRUNCATE blocks", "", kNoPrivilege},
          {"hanako", "INSERT INTO learners VALUES('x', '5-3', 'x')", "", kNoPrivilege},
          // Nor as its class's role, which it may set.
          {"hanako",
           "DO $$ BEGIN EXECUTE format('SET ROLE %I', (SELECT learners_role FROM classes)); END "
           "$$;" +
               insert_as("d0000000000000000000000000000005", ""),
           "", kNotItsOwn},
          // A teacher reads its class's blocks and learners, adds and changes nothing.
          {"suzuki",
           "SELECT name, program FROM blocks JOIN learners ON role = learner ORDER BY name",
           "hanako|Ostrin\ntaro|Palvek\n"},
          {"suzuki", "SELECT name FROM learners ORDER BY name", "hanako\ntaro\n"},
          {"suzuki", "SELECT name FROM classes", "5-2\n"},
          {"suzuki", insert_as("d0000000000000000000000000000004", ""), "", kNoPrivilege},
          {"suzuki", "DELETE FROM blocks", "", kNoPrivilege},
          // The administrator alone may change blocks.
          {"velmora",
           "UPDATE blocks SET evaluation = '81'" + taro_where +
               " RETURNING (SELECT name FROM learners WHERE role = learner)",
           "taro\n"},
      });

  EXPECT_EQ(everything("SELECT name, program, evaluation, lesson FROM blocks"
                       " JOIN learners ON role = learner ORDER BY uid"),
            "hanako|Ostrin|82|'); DROP TABLE blocks; --\n"
            "taro|Palvek|81|\n"
            "sato|Rundel|82|\n");
}

// What a learner might try to break the class or flood it: a row no block
// can have, more blocks than a day's, large objects and temporary tables,
// holding init's lock.
TEST_F(RowSecurityTest, ALearnerCanNeitherBreakNorFloodTheServer) {
  const std::string uid = "e0000000000000000000000000000001";
  try_each(
      cluster_,
      {
          {"hanako", insert_as(uid, "", "'infinity'"), "", "block_time"},
          {"hanako", insert_as(uid, "", "'-infinity'"), "", "block_time"},
          {"hanako", insert_as(uid, "", "now()", "repeat('9', 140000)"), "", "block_texts"},
          {"hanako",
           "INSERT INTO blocks(uid, ended_at, program, step, seconds, typed_right, typed_wrong,"
           " evaluation, result, keys) VALUES('" +
               uid + "', now(), '', 1, -5, 1, 1, '', '', '[]')",
           "", "block_counts"},
          {"hanako",
           "INSERT INTO blocks(uid, ended_at, program, step, seconds, typed_right, typed_wrong,"
           " evaluation, result, keys) VALUES('" +
               uid + "', now(), '', 1, 1, 1, 1, '', '', jsonb_build_array(repeat('x', 70000)))",
           "", "block_tallies"},
          {"hanako", "CREATE TEMP TABLE hoard(x text)", "",
           "permission denied to create temporary"},
      });
  // The server's refusal of a block is the block's own, not the server's.
  try {
    OutgoingBlock forged = block(uid, "Ostrin");
    forged.block.seconds = -1;
    ClassServer::connect("hanako").send(std::array{forged});
    ADD_FAILURE() << "a block of -1 seconds was taken";
  } catch (const BlockRefused& e) {
    EXPECT_NE(std::string(e.what()).find("block_counts"), std::string::npos) << e.what();
  }

  // A day's blocks: one more is refused in words, and it is no fault of the block's.
  ClassServer admin = ClassServer::connect(testing::PgCluster::kAdminService);
  EXPECT_EQ(admin.blocks_a_day(), 1000);
  EXPECT_EQ(admin.blocks_a_day(3), 3);
  ClassServer hanako = ClassServer::connect("hanako");
  hanako.send(std::array{block("f0000000000000000000000000000001", "Ostrin"),
                         block("f0000000000000000000000000000002", "Ostrin")});
  hanako.send(std::array{block("f0000000000000000000000000000002", "Ostrin"),
                         block("f0000000000000000000000000000003", "Ostrin")});
  try {
    hanako.send(std::array{block("f0000000000000000000000000000004", "Ostrin")});
    ADD_FAILURE() << "a fourth block of the day was taken";
  } catch (const BlockRefused& e) {
    ADD_FAILURE() << "a day's limit told as the block's fault: " << e.what();
  } catch (const ServerError& e) {
    EXPECT_NE(std::string(e.what()).find("at most 3 blocks a day"), std::string::npos) << e.what();
  }
  ClassServer::connect("taro").send(
      std::array{block("f0000000000000000000000000000005", "Ostrin")});
  EXPECT_EQ(everything("SELECT name, count(*) FROM blocks JOIN learners ON role = learner"
                       " GROUP BY name ORDER BY name"),
            "hanako|3\ntaro|1\n");

  // Large objects: open until a superuser runs init, which closes them.
  EXPECT_EQ(cluster_.psql("hanako", "SELECT lo_unlink(lo_create(0))").status, 0);
  EXPECT_TRUE(
      ClassServer::connect(testing::PgCluster::kSuperuserService).init().large_objects_open ==
      false);
  EXPECT_NE(cluster_.psql("hanako", "SELECT lo_create(0)").err.find("permission denied"),
            std::string::npos);
  EXPECT_FALSE(admin.init().large_objects_open);

  // init's lock held by a learner: init says so instead of waiting for ever.
  std::thread holder([&] {
    (void)cluster_.psql("hanako", "SELECT pg_advisory_lock(33325563618751073), pg_sleep(12)");
  });
  std::this_thread::sleep_for(std::chrono::seconds(1));
  try {
    (void)admin.init();
    ADD_FAILURE() << "init went on under a learner's lock";
  } catch (const ServerError& e) {
    EXPECT_NE(std::string(e.what()).find("another session has held a lock init needs"),
              std::string::npos)
        << e.what();
  }
  holder.join();
  EXPECT_NO_THROW((void)admin.init());
}

}  // namespace
}  // namespace tutor::classdb
