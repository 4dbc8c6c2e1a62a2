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

TEST(ClassCommand, SetsUpAClassServerFromAnEmptyDatabase) {
  PgCluster cluster;
  const std::string login_line =
      "127\\.0\\.0\\.1:" + std::to_string(cluster.port()) + ":velmora:(\\w+):[A-Za-z0-9]{24}\n";
  const std::string bad_name = "a learner's or teacher's name is 1 to 32 lower-case letters";
  const std::string schema =
      "SELECT version, (SELECT count(*) FROM pg_class c JOIN pg_namespace n"
      " ON n.oid = c.relnamespace WHERE nspname = 'public'),"
      " (SELECT count(*) FROM pg_policies),"
      " (SELECT string_agg(indexname, ',' ORDER BY indexname) FROM pg_indexes"
      "   WHERE schemaname = 'public'),"
      " (SELECT string_agg(policyname || ' ' || coalesce(qual, ''), ';' ORDER BY policyname)"
      "   FROM pg_policies) FROM schema_version";
  cluster.add_service("intruder", PgCluster::kAdmin,
                      cluster.pgpass_line(PgCluster::kAdmin, "guess"));
  std::string schema_after_init;
  std::vector<std::string> logins;
  const std::vector<Step> steps = {
      {{"add-class", "5-2"}, 1, "", "run init first"},
      {{"init"}, 0, "set up the class server \\(schema version 2\\)\n"},
      {{"init"}, 0, "the class server is already set up \\(schema version 2\\): nothing changed\n"},
      {{"add-class", "5-2"}, 0, "added the class 5-2\n"},
      {{"add-class", "5-2"}, 1, "", "there is already a class \"5-2\""},
      {{"add-class", "5 2"}, 1, "", "a class name is 1 to 20 letters"},
      {{"add-learner", "5-2", "hanako"}, 0, login_line},
      {{"add-learner", "5-2", "hanako"},
       1,
       "",
       "\"hanako\" is already a learner, of class \"5-2\""},
      {{"add-learner", "5-9", "taro"}, 1, "", "there is no class \"5-9\""},
      {{"add-learner", "5-2", "Taro"}, 1, "", bad_name},
      {{"add-learner", "5-2", "pg_taro"}, 1, "", bad_name},
      {{"add-learner", "5-2", "velmora_admin"}, 1, "", "there is already a role"},
      {{"add-teacher", "5-2", "suzuki"}, 0, login_line},
      {{"add-teacher", "5-2", "suzuki"}, 0, "suzuki already teaches 5-2\n"},
      {{"--service", "velmora", "add-class", "5-3"}, 0, "added the class 5-3\n"},
      {{"add-teacher", "5-3", "suzuki", "--service=velmora"}, 0, "suzuki now teaches 5-3\n"},
      {{"add-teacher", "5-2", "hanako"}, 1, "", "\"hanako\" is a learner"},
      {{"--service", "elsewhere", "init"}, 1, "", "definition of service \"elsewhere\" not found"},
      {{"--service", "intruder", "add-class", "5-4"}, 1, "", "password authentication failed"},
      {{}, 2, "", "usage: velmora-class"},
      {{"add-class"}, 2, "", "usage: velmora-class"},
      {{"add-learner", "5-2"}, 2, "", "usage: velmora-class"},
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
      cluster.add_service(login[1].str(), login[1].str(), ran.out);
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
  ASSERT_EQ(logins, (std::vector<std::string>{"hanako", "suzuki"}));

  // The printed lines log in: the learner's block reaches its teacher.
  OutgoingBlock sent;
  sent.uid = "0123456789abcdef0123456789abcdef";
  sent.block.ended_at = "2026-12-07T10:15:30+09:00";
  sent.block.program = "Ostrin";
  ClassServer::connect("hanako").send(std::vector{sent});
  const Ran seen = cluster.psql("suzuki", "SELECT learner, program FROM blocks");
  EXPECT_EQ(seen.out, "hanako|Ostrin\n") << seen.err;

  // $PGSERVICE names the service when --service does not.
  ::setenv("PGSERVICE", "elsewhere", 1);
  const Ran elsewhere = velmora_class({"init"});
  ::unsetenv("PGSERVICE");
  EXPECT_NE(elsewhere.err.find("\"elsewhere\" not found"), std::string::npos) << elsewhere.err;

  // A server the first version set up is brought up to date, the same as one made now.
  const Ran first_version = cluster.psql(
      PgCluster::kAdminService, "DROP TABLE blocks, learners, classes, schema_version;" +
                                    std::string(kVersionTable) + std::string(kSchemaSteps[0]) +
                                    "; INSERT INTO schema_version(version) VALUES(1)");
  ASSERT_EQ(first_version.status, 0) << first_version.err;
  const Ran upgraded = velmora_class({"init"});
  EXPECT_EQ(upgraded.out, "brought the class server from schema version 1 to 2\n") << upgraded.err;
  EXPECT_EQ(cluster.psql(PgCluster::kAdminService, schema).out, schema_after_init);
}

}  // namespace
}  // namespace tutor::classdb
