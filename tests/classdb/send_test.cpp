#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>

#include "tests/classdb/class_fixture.h"

namespace tutor::classdb {
namespace {

using SendTest = ClassServerTest;

TEST_F(SendTest, BlocksSentAgainAreKeptOnce) {
  const std::vector<OutgoingBlock> first = {
      block("00000000000000000000000000000001", "Ostrin"),
      block("00000000000000000000000000000002", "Kotoba", "town\"\\\x01\xff.txt")};
  ClassServer hanako = ClassServer::connect("hanako");
  for (int i = 0; i < 3; ++i) {
    hanako.send(first);
  }
  ClassServer::connect("hanako").send(
      std::vector{first[1], block("00000000000000000000000000000003", "Rundel")});

  EXPECT_EQ(everything("SELECT uid, name, program FROM blocks JOIN learners ON role = learner"
                       " ORDER BY uid"),
            "00000000-0000-0000-0000-000000000001|hanako|Ostrin\n"
            "00000000-0000-0000-0000-000000000002|hanako|Kotoba\n"
            "00000000-0000-0000-0000-000000000003|hanako|Rundel\n");
  // Every field as kept, the tallies as JSON; the lesson's bad bytes as U+FFFD.
  EXPECT_EQ(everything("SELECT ended_at = '2026-12-07 01:15:30Z', step, seconds, typed_right,"
                       " typed_wrong, evaluation, result, lesson, input,"
                       " keys = '[{\"key\": 12, \"right\": 30, \"wrong\": 2,"
                       "           \"instead\": [{\"key\": 13, \"count\": 2}]},"
                       "          {\"key\": 25, \"right\": 40, \"wrong\": 1,"
                       "           \"instead\": [{\"key\": 0, \"count\": 1}]}]',"
                       " kana = '[{\"kana\": \"か\", \"right\": 3, \"wrong\": 1}]',"
                       " kana->0->>'kana' FROM blocks ORDER BY uid DESC OFFSET 1 LIMIT 1"),
            "t|1|95|120|3|82|pass|town\"\\\x01\uFFFD.txt|romaji|t|t|か\n");
}

TEST_F(SendTest, RefusedSendsKeepNothingAndSayWhyInOneLine) {
  OutgoingBlock bad = block("not a uid", "Ostrin");
  cluster_.add_service("wrong-password", role_of("hanako"),
                       cluster_.pgpass_line(role_of("hanako"), "guessed"));
  const std::vector<std::pair<std::function<void()>, std::string_view>> refusals = {
      {[&] {
         ClassServer::connect("hanako").send(
             std::vector{block("00000000000000000000000000000001", "Ostrin"), bad});
       },
       "invalid input syntax for type uuid"},
      {[&] { ClassServer::connect("wrong-password"); }, "password authentication failed"},
      {[&] { ClassServer::connect("no-such-service"); }, "\"no-such-service\" not found"},
      {[&] {
         ClassServer::connect("suzuki").send(
             std::vector{block("00000000000000000000000000000009", "Ostrin")});
       },
       "permission denied for table blocks"},
  };
  for (const auto& [refused, why] : refusals) {
    try {
      refused();
      ADD_FAILURE() << "not refused: " << why;
    } catch (const ServerError& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find(why), std::string::npos) << what;
      EXPECT_EQ(what.find('\n'), std::string::npos) << what;
    }
  }
  EXPECT_EQ(everything("SELECT count(*) FROM blocks"), "0\n");
}

}  // namespace
}  // namespace tutor::classdb
