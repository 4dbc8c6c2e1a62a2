#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "classdb/classdb.h"
#include "classdb/schema.h"
#include "tests/support/pg_cluster.h"

namespace tutor::classdb {
namespace {

using testing::PgCluster;
using testing::Ran;

// velmora-class run as the administrator does, each step after the one before.
struct Step {
  std::vector<std::string> args;
  int status;
  std::string out;             // a regular expression for the whole output
  std::string_view err_has{};  // a part of the one line on stderr
};

Ran velmora_class(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {VELMORA_CLASS};
  argv.insert(argv.end(), args.begin(), args.end());
  return testing::run_command(argv);
}

// What init prints where its user is no superuser.
constexpr std::string_view kLargeObjectsNote =
    "note: learners can still make large objects, which no limit bounds: .*\n";

std::string login_line(const PgCluster& cluster) {
  return "127\\.0\\.0\\.1:" + std::to_string(cluster.port()) + ":velmora:(\\w+):[A-Za-z0-9]{24}\n";
}
// A learner's: the line, then the user its computer's service names.
std::string learner_login(const PgCluster& cluster, std::string_view name) {
  return login_line(cluster) + "# " + std::string(name) +
         " logs in as \\1: put user=\\1 in the \\[velmora\\] group of " + std::string(name) +
         "'s ~/.pg_service.conf\n";
}

TEST(ClassCommand, SetsUpAClassServerFromAnEmptyDatabase) {
  PgCluster cluster;
  const std::string bad_name = "a learner's or teacher's name is 1 to 32 lower-case letters";
  const std::string schema =
      "SELECT version, (SELECT count(*) FROM pg_class c JOIN pg_namespace n"
      " ON n.oid = c.relnamespace WHERE nspname = 'public'),"
      " (SELECT count(*) FROM pg_policies),"
      " (SELECT string_agg(indexname, ',' ORDER BY indexname) FROM pg_indexes"
      "   WHERE schemaname = 'public'),"
      " (SELECT string_agg(policyname || ' ' || coalesce(qual, '') || coalesce(with_check, ''),"
      "   ';' ORDER BY tablename, policyname) FROM pg_policies),"
      " (SELECT string_agg(conname, ',' ORDER BY conname) FROM pg_constraint"
      "   WHERE conrelid = 'blocks'::regclass) FROM schema_version";
  cluster.add_service("intruder", PgCluster::kAdmin,
                      cluster.pgpass_line(PgCluster::kAdmin, "guess"));
  std::string schema_after_init;
  std::vector<std::string> logins;
  const std::vector<Step> steps = {
      {{"add-class", "5-2"}, 1, "", "run init first"},
      {{"init"},
       0,
       "set up the class server \\(schema version " + std::to_string(kSchemaVersion) + "\\)\n" +
           std::string(kLargeObjectsNote)},
      {{"init"},
       0,
       "the class server is already set up \\(schema version " + std::to_string(kSchemaVersion) +
           "\\): nothing changed\n" + std::string(kLargeObjectsNote)},
      {{"add-class", "5-2"}, 0, "added the class 5-2\n"},
      {{"add-class", "5-2"}, 1, "", "there is already a class \"5-2\""},
      {{"add-class", "5 2"}, 1, "", "a class name is 1 to 20 letters"},
      {{"add-learner", "5-2", "hanako"}, 0, learner_login(cluster, "hanako")},
      {{"add-learner", "5-2", "hanako"},
       1,
       "",
       "there is already a learner \"hanako\" in class \"5-2\""},
      {{"add-learner", "5-9", "taro"}, 1, "", "there is no class \"5-9\""},
      {{"add-learner", "5-2", "Taro"}, 1, "", bad_name},
      {{"add-learner", "5-2", "pg_taro"}, 1, "", bad_name},
      {{"new-login", "5-2", "taro"}, 1, "", "there is no learner \"taro\" in class \"5-2\""},
      {{"add-teacher", "5-2", "suzuki"}, 0, login_line(cluster)},
      {{"add-teacher", "5-2", "suzuki"}, 0, "suzuki already teaches 5-2\n"},
      {{"--service", "velmora", "add-class", "5-3"}, 0, "added the class 5-3\n"},
      {{"add-teacher", "5-3", "suzuki", "--service=velmora"}, 0, "suzuki now teaches 5-3\n"},
      {{"pass-mark", "5-2", "20:90"}, 0, "class 5-2: pass mark 20:90\n"},
      {{"pass-mark", "5-2"}, 0, "class 5-2: pass mark 20:90\n"},
      {{"pass-mark", "5-2", "none"}, 0, "class 5-2: no pass mark, each learner's own choice\n"},
      {{"pass-mark", "5-2", "20:900"}, 1, "", "bad pass mark \"20:900\""},
      {{"daily-limit"}, 0, "a learner may send 1000 blocks a day\n"},
      {{"daily-limit", "300"}, 0, "a learner may send 300 blocks a day\n"},
      {{"daily-limit", "many"}, 1, "", "the blocks a day are a whole number"},
      {{"--service", "elsewhere", "init"}, 1, "", "definition of service \"elsewhere\" not found"},
      {{"--service", "intruder", "add-class", "5-4"}, 1, "", "password authentication failed"},
      {{}, 2, "", "usage: velmora-class"},
      {{"add-class"}, 2, "", "usage: velmora-class"},
      {{"add-learner", "5-2"}, 2, "", "usage: velmora-class"},
      {{"daily-limit", "1", "2"}, 2, "", "usage: velmora-class"},
      {{"report", "5-2"}, 2, "", "usage: velmora-class"},
      {{"--verbose", "init"}, 2, "", "usage: velmora-class"},
  };
  for (const Step& step : steps) {
    const Ran ran = velmora_class(step.args);
    const std::string command = step.args.empty() ? "(nothing)" : step.args[0];
    EXPECT_EQ(ran.status, step.status) << command << ": " << ran.err;
    std::smatch login;
    EXPECT_TRUE(std::regex_match(ran.out, login, std::regex(step.out)))
        << command << ": " << ran.out;
    EXPECT_NE(ran.err.find(step.err_has), std::string::npos) << command << ": " << ran.err;
    if (step.status == 1) {
      EXPECT_EQ(std::count(ran.err.begin(), ran.err.end(), '\n'), 1) << ran.err;
    }
    if (login.size() == 2) {
      // The whole output goes to ~/.pgpass: the comment line is skipped there.
      cluster.add_service(step.args[2], login[1].str(), ran.out);
      logins.push_back(login[1].str());
    }
    if (command == "init") {
      // The second init changes nothing the first made.
      const Ran state = cluster.psql(PgCluster::kAdminService, schema);
      EXPECT_EQ(state.status, 0) << state.err;
      EXPECT_TRUE(schema_after_init.empty() || state.out == schema_after_init) << state.out;
      schema_after_init = state.out;
    }
  }
  ASSERT_EQ(logins.size(), 2u);
  // A learner's role tells nothing of the learner; a teacher's is its name.
  EXPECT_TRUE(std::regex_match(logins[0], std::regex("velmora_[0-9a-f]{16}"))) << logins[0];
  EXPECT_EQ(logins[1], "suzuki");

  // The printed lines log in: the learner's block reaches its teacher.
  OutgoingBlock sent;
  sent.uid = "0123456789abcdef0123456789abcdef";
  sent.block.ended_at = "2026-12-07T10:15:30+09:00";
  sent.block.program = "Ostrin";
  ClassServer::connect("hanako").send(std::vector{sent});
  const std::string seen_by_teacher =
      "SELECT name, program FROM blocks JOIN learners ON role = learner";
  EXPECT_EQ(cluster.psql("suzuki", seen_by_teacher).out, "hanako|Ostrin\n");

  // A new login: the old one stops working, the blocks stay the learner's.
  const Ran renewed = velmora_class({"new-login", "5-2", "hanako"});
  std::smatch login;
  ASSERT_TRUE(std::regex_match(renewed.out, login, std::regex(learner_login(cluster, "hanako"))))
      << renewed.out << renewed.err;
  EXPECT_NE(login[1].str(), logins[0]);
  EXPECT_THROW(ClassServer::connect("hanako"), ServerError);
  cluster.add_service("hanako-renewed", login[1].str(), renewed.out);
  sent.uid = "1123456789abcdef0123456789abcdef";
  ClassServer::connect("hanako-renewed").send(std::vector{sent});
  EXPECT_EQ(cluster.psql("suzuki", seen_by_teacher).out, "hanako|Ostrin\nhanako|Ostrin\n");

  // $PGSERVICE names the service when --service does not.
  ::setenv("PGSERVICE", "elsewhere", 1);
  const Ran elsewhere = velmora_class({"init"});
  ::unsetenv("PGSERVICE");
  EXPECT_NE(elsewhere.err.find("\"elsewhere\" not found"), std::string::npos) << elsewhere.err;

  // A server the first version set up is brought up to date, the same as one made now.
  const Ran first_version =
      cluster.psql(PgCluster::kAdminService,
                   "DROP TABLE blocks, learners, classes, schema_version, limits,"
                   " sent_a_day, refused_blocks, web_logins, web_sessions, web_sign_in_failures,"
                   " learner_files; DROP FUNCTION count_sent_block(), open_web_session(),"
                   " web_session(text), end_web_session(text), web_sign_in_role(text, text),"
                   " note_web_sign_in_failure(text, text), add_learners_taught(text, text[]);" +
                       std::string(kVersionTable) + std::string(kSchemaSteps[0]) +
                       "; INSERT INTO schema_version(version) VALUES(1)");
  ASSERT_EQ(first_version.status, 0) << first_version.err;
  const Ran upgraded = velmora_class({"init"});
  EXPECT_TRUE(std::regex_match(
      upgraded.out,
      std::regex("brought the class server from schema version 1 to " +
                 std::to_string(kSchemaVersion) + "\n" + std::string(kLargeObjectsNote))))
      << upgraded.out << upgraded.err;
  EXPECT_EQ(cluster.psql(PgCluster::kAdminService, schema).out, schema_after_init);
}

// A class server of the first version, with a class, a learner logged in by
// its name and a block, as that version's add-class and add-learner left it.
constexpr std::string_view kFirstVersionClass = R"(
CREATE ROLE "velmora 5-9 learners" NOLOGIN;
CREATE ROLE "velmora 5-9 teachers" NOLOGIN;
INSERT INTO classes VALUES ('5-9', 'velmora 5-9 learners', 'velmora 5-9 teachers');
GRANT SELECT ON classes, learners, blocks TO "velmora 5-9 learners", "velmora 5-9 teachers";
GRANT INSERT (uid, ended_at, program, step, seconds, typed_right, typed_wrong, evaluation, result,
              lesson, input, keys, kana) ON blocks TO "velmora 5-9 learners";
CREATE ROLE ichiro LOGIN PASSWORD 'first-version' IN ROLE "velmora 5-9 learners";
INSERT INTO learners VALUES ('ichiro', '5-9');
INSERT INTO blocks(uid, learner, ended_at, program, step, seconds, typed_right, typed_wrong,
                   evaluation, result)
  VALUES ('00000000000000000000000000000001', 'ichiro', 'infinity', 'Ostrin', 1, 60, 90, 1,
          '1' || repeat('0', 140000), 'pass');)";

// init brings it up to date without stopping anyone: the learner still
// sends under its name until new-login gives it one that tells nothing, the
// class's roles are renamed at random, and the row no block can have, kept
// before the server checked blocks, does not stop the class's report.
TEST(ClassCommand, AnOlderServerIsBroughtUpToDateWhileItsLearnersGoOnSending) {
  PgCluster cluster;
  const Ran first = cluster.psql(PgCluster::kAdminService,
                                 std::string(kVersionTable) + std::string(kSchemaSteps[0]) +
                                     "; INSERT INTO schema_version VALUES (true, 1);" +
                                     std::string(kFirstVersionClass));
  ASSERT_EQ(first.status, 0) << first.err;
  cluster.add_service("ichiro", "ichiro", cluster.pgpass_line("ichiro", "first-version"));

  const Ran upgraded = velmora_class({"init"});
  EXPECT_TRUE(std::regex_match(
      upgraded.out,
      std::regex("brought the class server from schema version 1 to " +
                 std::to_string(kSchemaVersion) +
                 "\n"
                 "note: 1 block no block can have \\(kept before the server checked them\\) "
                 "was moved to the table refused_blocks\n"
                 "note: 1 learner logs in by name, which every login can read: give each such "
                 "learner a login that tells nothing with new-login CLASS LEARNER\n" +
                 std::string(kLargeObjectsNote))))
      << upgraded.out << upgraded.err;
  EXPECT_EQ(cluster
                .psql(PgCluster::kAdminService,
                      "SELECT count(*) FROM pg_roles WHERE rolname LIKE 'velmora 5-9%'")
                .out,
            "0\n");

  OutgoingBlock sent;
  sent.uid = "00000000000000000000000000000002";
  sent.block.ended_at = "2026-12-07T10:15:30+09:00";
  sent.block.program = "Ostrin";
  ClassServer::connect("ichiro").send(std::vector{sent});
  EXPECT_NE(cluster.psql("ichiro", "SELECT count(*) FROM blocks").err.find("permission denied"),
            std::string::npos);

  const Ran csv = velmora_class({"report", "5-9", "--csv"});
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_NE(csv.out.find("ichiro"), std::string::npos) << csv.out;

  const Ran renewed = velmora_class({"new-login", "5-9", "ichiro"});
  std::smatch login;
  ASSERT_TRUE(std::regex_match(renewed.out, login, std::regex(learner_login(cluster, "ichiro"))))
      << renewed.out << renewed.err;
  EXPECT_EQ(cluster
                .psql(PgCluster::kAdminService,
                      "SELECT learner = '" + login[1].str() + "', count(*) FROM blocks GROUP BY 1")
                .out,
            "t|1\n");
  EXPECT_EQ(cluster.psql(PgCluster::kAdminService, "SELECT uid, learner FROM refused_blocks").out,
            "00000000-0000-0000-0000-000000000001|ichiro\n");
  EXPECT_EQ(velmora_class({"init"}).out.find("by name"), std::string::npos);
}

}  // namespace
}  // namespace tutor::classdb
