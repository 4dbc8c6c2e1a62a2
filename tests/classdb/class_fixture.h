#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "classdb/classdb.h"
#include "tests/support/pg_cluster.h"

namespace tutor::classdb {

// A class server its administrator set up: class 5-2 with the learners
// hanako and taro and the teacher suzuki, class 5-3 with the learner sato.
// Each logs in through a service of its name; a learner's role has a random name.
class ClassServerTest : public ::testing::Test {
 protected:
  ClassServerTest() {
    ClassServer admin = ClassServer::connect(testing::PgCluster::kAdminService);
    admin.init();
    admin.add_class("5-2");
    admin.add_class("5-3");
    for (const auto& [class_name, learner] :
         {std::pair{"5-2", "hanako"}, std::pair{"5-2", "taro"}, std::pair{"5-3", "sato"}}) {
      log_in(learner, admin.add_learner(class_name, learner));
    }
    log_in("suzuki", *admin.add_teacher("5-2", "suzuki").login);
  }

  // A service named after the learner or teacher, logging in as its role.
  void log_in(std::string_view name, const NewLogin& login) {
    cluster_.add_service(name, login.role, login.pgpass_line + "\n");
  }

  // A block of Ostrin's first step with two key tallies and a kana tally.
  static OutgoingBlock block(std::string uid, std::string program, std::string lesson = "") {
    OutgoingBlock b;
    b.uid = std::move(uid);
    b.block.ended_at = "2026-12-07T10:15:30+09:00";
    b.block.program = std::move(program);
    b.block.seconds = 95;
    b.block.right = 120;
    b.block.wrong = 3;
    b.block.evaluation = "82";
    b.block.result = "pass";
    b.block.keys = {{12, 30, 2, {{13, 2}}}, {25, 40, 1, {{0, 1}}}};
    b.block.lesson = std::move(lesson);
    b.block.input = "romaji";
    b.block.kana = {{"か", 3, 1}};
    return b;
  }

  // What the superuser, whom no policy hides anything from, reads.
  [[nodiscard]] std::string everything(std::string_view sql) const {
    const testing::Ran ran = cluster_.psql(testing::PgCluster::kSuperuserService, sql);
    EXPECT_EQ(ran.status, 0) << ran.err;
    return ran.out;
  }

  // The role a learner logs in as.
  [[nodiscard]] std::string role_of(std::string_view learner) const {
    std::string role =
        everything("SELECT role FROM learners WHERE name = '" + std::string(learner) + "'");
    if (!role.empty()) {
      role.pop_back();
    }
    return role;
  }

  testing::PgCluster cluster_;
};

}  // namespace tutor::classdb
