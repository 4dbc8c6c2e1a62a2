#pragma once

// Inside classdb/ only: the steps the administrator's commands share, each
// inside the caller's transaction.

#include <string>
#include <string_view>

#include "classdb/connection.h"

namespace tutor::classdb {

// A name as messages quote it: "hanako".
[[nodiscard]] std::string in_quotes(std::string_view s);

// Refuses a database without the schema, or with another version than this
// program's: the administrator's commands work on the schema they know.
void require_current_schema(pqxx::work& tx);

// The two roles made for a class.
struct ClassRoles {
  std::string learners;
  std::string teachers;
};

// Throws ServerError where there is no such class.
ClassRoles roles_of_class(pqxx::work& tx, std::string_view class_name);

// The login role of the class's learner; throws ServerError where the class
// has no such learner.
[[nodiscard]] std::string learner_role(pqxx::work& tx,
                                       std::string_view class_name,
                                       std::string_view learner);

// A new login role with a random name and password, a member of the class's
// learners role `group`, and its row in learners. Throws ServerError where
// the class has a learner of that name already.
NewLogin add_learner_to(pqxx::work& tx,
                        ClassServer::Connection& connection,
                        std::string_view class_name,
                        const std::string& group,
                        std::string_view learner);

// Gives the role a new random password, hashed here; returns it.
std::string give_new_password(pqxx::work& tx,
                              ClassServer::Connection& connection,
                              const std::string& role);

// The ~/.pgpass line that logs the role in to this server and database.
[[nodiscard]] std::string pgpass_line_here(ClassServer::Connection& connection,
                                           const std::string& role,
                                           const std::string& password);

}  // namespace tutor::classdb
