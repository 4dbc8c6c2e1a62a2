#include <array>

#include "tests/classdb/class_fixture.h"

namespace tutor::classdb {
namespace {

using RowSecurityTest = ClassServerTest;

constexpr std::string_view kHanakos = "a0000000000000000000000000000001";
constexpr std::string_view kTaros = "b0000000000000000000000000000002";
constexpr std::string_view kSatos = "c0000000000000000000000000000003";
constexpr std::string_view kDroppingName = "'); DROP TABLE blocks; --";

// What one role tries, and what it gets: the rows printed, or refused for
// want of a privilege (never for a mistake in the statement).
struct Attempt {
  std::string_view who;
  std::string sql;
  std::string_view rows;  // unused when refused
  bool refused = false;
};

// A block added by hand, as `learner` where one is named.
std::string insert_as(std::string_view uid, std::string_view learner) {
  const bool named = !learner.empty();
  return "INSERT INTO blocks(uid, " + std::string(named ? "learner, " : "") +
         "ended_at, program, step, seconds, typed_right, typed_wrong, evaluation, result) "
         "VALUES('" +
         std::string(uid) + "', " + (named ? "'" + std::string(learner) + "', " : std::string()) +
         "now(), 'Forged', 1, 1, 1, 1, '', '') ON CONFLICT (uid) DO NOTHING RETURNING program";
}

TEST_F(RowSecurityTest, EachRoleReachesOnlyWhatItMay) {
  ClassServer::connect("hanako").send(
      std::array{block(std::string(kHanakos), "Ostrin", std::string(kDroppingName))});
  ClassServer::connect("taro").send(std::array{block(std::string(kTaros), "Palvek")});
  ClassServer::connect("sato").send(std::array{block(std::string(kSatos), "Rundel")});

  const std::string hanako_where = " WHERE uid = '" + std::string(kHanakos) + "'";
  const std::string taro_where = " WHERE uid = '" + std::string(kTaros) + "'";
  const std::vector<Attempt> attempts = {
      // A learner reads its own blocks, itself and its class, nothing else.
      {"hanako", "SELECT learner, program, lesson FROM blocks",
       "hanako|Ostrin|'); DROP TABLE blocks; --\n"},
      {"hanako", "SELECT count(*) FROM blocks" + taro_where, "0\n"},
      {"hanako", "SELECT role, class FROM learners", "hanako|5-2\n"},
      {"sato", "SELECT name FROM classes", "5-3\n"},
      // It adds no block as another, nor by another's uid, and changes none.
      {"hanako", insert_as("d0000000000000000000000000000004", "taro"), "", true},
      {"taro", insert_as(kHanakos, ""), ""},
      {"hanako", "UPDATE blocks SET program = 'Zarbet'" + taro_where, "", true},
      {"hanako", "UPDATE blocks SET program = 'Zarbet'" + hanako_where, "", true},
      {"hanako", "DELETE FROM blocks" + taro_where, "", true},
      {"hanako", "DELETE FROM blocks" + hanako_where, "", true},
      {"hanako", "TRUNCATE blocks", "", true},
      {"hanako", "INSERT INTO learners VALUES('hanako', '5-3')", "", true},
      // A teacher reads its class's blocks and learners, adds and changes nothing.
      {"suzuki", "SELECT learner, program FROM blocks ORDER BY learner",
       "hanako|Ostrin\ntaro|Palvek\n"},
      {"suzuki", "SELECT role FROM learners ORDER BY role", "hanako\ntaro\n"},
      {"suzuki", "SELECT name FROM classes", "5-2\n"},
      {"suzuki", insert_as("d0000000000000000000000000000004", ""), "", true},
      {"suzuki", "DELETE FROM blocks", "", true},
      // The administrator alone may change blocks.
      {"velmora", "UPDATE blocks SET evaluation = '81'" + taro_where + " RETURNING learner",
       "taro\n"},
  };
  for (const Attempt& a : attempts) {
    const testing::Ran ran = cluster_.psql(a.who, a.sql);
    if (a.refused) {
      EXPECT_NE(ran.status, 0) << a.who << ": " << a.sql << " gave " << ran.out;
      EXPECT_NE(ran.err.find("permission denied for table"), std::string::npos) << ran.err;
    } else {
      EXPECT_EQ(ran.status, 0) << a.who << ": " << a.sql << ": " << ran.err;
      EXPECT_EQ(ran.out, a.rows) << a.who << ": " << a.sql;
    }
  }

  EXPECT_EQ(everything("SELECT learner, program, evaluation, lesson FROM blocks ORDER BY uid"),
            "hanako|Ostrin|82|'); DROP TABLE blocks; --\n"
            "taro|Palvek|81|\n"
            "sato|Rundel|82|\n");
}

}  // namespace
}  // namespace tutor::classdb
