#pragma once

// Inside classdb/ only: the web service's logins (velmora-class serve).

#include <pqxx/pqxx>
#include <string>

namespace tutor::classdb {

// Lets every login of the web service SET ROLE to `role`, a learner's or
// teacher's login just made or made a teacher. Its NOINHERIT logins gain no
// privilege by it.
void let_web_logins_become(pqxx::work& tx, const std::string& role);

}  // namespace tutor::classdb
