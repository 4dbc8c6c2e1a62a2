// A class's learners as a whole roster: added together, given new
// passwords, and removed with their blocks kept.

#include <algorithm>

#include "classdb/admin.h"

namespace tutor::classdb {
namespace {

// In byte order, as std::string compares them, whatever the database's collation.
std::vector<std::string> names_in_class(pqxx::work& tx, std::string_view class_name) {
  std::vector<std::string> names;
  for (const pqxx::row& row :
       tx.exec_params("SELECT name FROM learners WHERE class = $1 ORDER BY name COLLATE \"C\"",
                      std::string(class_name))) {
    names.push_back(row[0].as<std::string>());
  }
  return names;
}

}  // namespace

std::vector<NewLogin> ClassServer::add_learners(
    std::string_view class_name,
    std::span<const std::string> learners,
    const std::function<void(std::span<const NewLogin>)>& keep) {
  check_class_name(class_name);
  for (const std::string& learner : learners) {
    check_login_name(learner);
  }
  return refused_as_server_error("cannot add the learners to class " + in_quotes(class_name), [&] {
    pqxx::work tx(*connection_);
    require_current_schema(tx);
    const std::string group = roles_of_class(tx, class_name).learners;
    // Every name already there is told at once, not only the first.
    const std::vector<std::string> there = names_in_class(tx, class_name);
    std::string taken;
    for (const std::string& learner : learners) {
      if (std::binary_search(there.begin(), there.end(), learner)) {
        taken += (taken.empty() ? "" : ", ") + in_quotes(learner);
      }
    }
    if (!taken.empty()) {
      throw ServerError("class " + in_quotes(class_name) + " has the learners " + taken +
                        " already");
    }
    std::vector<NewLogin> logins;
    for (const std::string& learner : learners) {
      logins.push_back(add_learner_to(tx, *connection_, class_name, group, learner));
    }
    keep(logins);
    tx.commit();
    return logins;
  });
}

std::vector<std::string> ClassServer::learner_names(std::string_view class_name) {
  check_class_name(class_name);
  return refused_as_server_error("cannot read the learners of class " + in_quotes(class_name), [&] {
    // No look at the schema's version, which only the administrator reads:
    // a teacher asks too, from its page.
    pqxx::work tx(*connection_);
    roles_of_class(tx, class_name);  // says so where there is none
    std::vector<std::string> names = names_in_class(tx, class_name);
    tx.commit();
    return names;
  });
}

NewLogin ClassServer::reset_password(std::string_view class_name, std::string_view learner) {
  check_class_name(class_name);
  check_login_name(learner);
  return refused_as_server_error("cannot give " + in_quotes(learner) + " a new password", [&] {
    pqxx::work tx(*connection_);
    require_current_schema(tx);
    const std::string role = learner_role(tx, class_name, learner);
    const std::string password = give_new_password(tx, *connection_, role);
    tx.commit();
    return NewLogin{role, password, pgpass_line_here(*connection_, role, password)};
  });
}

RemovedLearner ClassServer::remove_learner(std::string_view class_name, std::string_view learner) {
  check_class_name(class_name);
  check_login_name(learner);
  return refused_as_server_error("cannot remove the learner " + in_quotes(learner), [&] {
    pqxx::work tx(*connection_);
    require_current_schema(tx);
    RemovedLearner removed{learner_role(tx, class_name, learner)};
    removed.blocks_kept =
        tx.exec_params1("SELECT count(*) FROM blocks WHERE learner = $1", removed.role)[0]
            .as<long long>();
    tx.exec_params("DELETE FROM learners WHERE role = $1", removed.role);
    // The records that followed the learner go with the login; the blocks stay.
    tx.exec_params("DELETE FROM learner_files WHERE learner = $1", removed.role);
    tx.exec_params("DELETE FROM web_sessions WHERE role = $1", removed.role);
    // A role dropped by hand before leaves its row to go all the same.
    tx.exec("DROP ROLE IF EXISTS " + tx.quote_name(removed.role));
    tx.commit();
    return removed;
  });
}

}  // namespace tutor::classdb
