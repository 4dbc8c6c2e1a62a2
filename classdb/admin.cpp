// The administrator's side of the class server: the schema, classes and roles.

#include <pg_config.h>
#include <pg_config_manual.h>

#include <fstream>
#include <memory>
#include <optional>

#include "classdb/connection.h"
#include "classdb/schema.h"

namespace tutor::classdb {
namespace {

// Role names are the cluster's, cut by the server past this many bytes.
constexpr size_t kLongestRoleName = 63;

// Any fixed number: two inits at once take turns.
constexpr long long kInitLock = 0x76656c6d6f7261;  // "velmora"

std::string in_quotes(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

int schema_version(pqxx::work& tx) {
  if (tx.exec1("SELECT to_regclass('schema_version') IS NULL")[0].as<bool>()) {
    return 0;
  }
  const pqxx::result row = tx.exec("SELECT version FROM schema_version");
  return row.empty() ? 0 : row[0][0].as<int>();
}

void refuse_a_newer_schema(int version) {
  if (version > kSchemaVersion) {
    throw ServerError("the class server's schema is version " + std::to_string(version) +
                      ", newer than this program knows (" + std::to_string(kSchemaVersion) +
                      "): use the newer velmora-class");
  }
}

// The adders work on the schema this program knows, nothing older or newer.
void require_current_schema(pqxx::work& tx) {
  const int version = schema_version(tx);
  refuse_a_newer_schema(version);
  if (version == 0) {
    throw ServerError("the class server is not set up in this database: run init first");
  }
  if (version < kSchemaVersion) {
    throw ServerError("the class server's schema is version " + std::to_string(version) +
                      ", older than this program's: run init to bring it up to date");
  }
}

// The two roles made for a class.
struct ClassRoles {
  std::string learners;
  std::string teachers;
};

ClassRoles roles_of_class(pqxx::work& tx, std::string_view class_name) {
  const pqxx::result row = tx.exec_params(
      "SELECT learners_role, teachers_role FROM classes WHERE name = $1", std::string(class_name));
  if (row.empty()) {
    throw ServerError("there is no class " + in_quotes(class_name) +
                      ": add it with add-class first");
  }
  return ClassRoles{row[0][0].as<std::string>(), row[0][1].as<std::string>()};
}

// 24 characters of 62, about 143 bits, from the kernel's random source.
std::string new_password() {
  static constexpr std::string_view kAlphabet =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::ifstream random("/dev/urandom", std::ios::binary);
  std::string password;
  while (password.size() < 24) {
    char byte = 0;
    if (!random.get(byte)) {
      throw ServerError("cannot read /dev/urandom for a new password");
    }
    // Bytes past the last whole multiple of 62 would favour the first letters.
    const auto value = static_cast<unsigned char>(byte);
    if (value < 248) {
      password += kAlphabet[value % kAlphabet.size()];
    }
  }
  return password;
}

// The password as the server keeps it (a SCRAM or MD5 verifier, as its
// password_encryption says), made here.
std::string hashed_password(pqxx::work& tx,
                            PGconn* handle,
                            const std::string& role,
                            const std::string& password) {
  const std::string method = tx.exec1("SHOW password_encryption")[0].as<std::string>();
  const std::unique_ptr<char, decltype(&PQfreemem)> hashed(
      PQencryptPasswordConn(handle, password.c_str(), role.c_str(), method.c_str()), &PQfreemem);
  if (!hashed) {
    throw ServerError("cannot hash the new password: " + one_line(PQerrorMessage(handle)));
  }
  return hashed.get();
}

// Host, port and database as libpq looks them up in ~/.pgpass: its own
// socket folder, or none, is "localhost" there.
std::string pgpass_line_here(ClassServer::Connection& connection,
                             const std::string& role,
                             const std::string& password) {
  std::string host = connection.hostname() != nullptr ? connection.hostname() : "";
  if (host.empty() || host == DEFAULT_PGSOCKET_DIR) {
    host = "localhost";
  }
  std::string port = connection.port() != nullptr ? connection.port() : "";
  if (port.empty()) {
    port = DEF_PGPORT_STR;
  }
  return pgpass_line(host, port, connection.dbname(), role, password);
}

// Makes a login role with a new password, a member of `group`.
NewLogin new_login(pqxx::work& tx,
                   ClassServer::Connection& connection,
                   const std::string& role,
                   const std::string& group) {
  const std::string password = new_password();
  tx.exec("CREATE ROLE " + tx.quote_name(role) + " LOGIN PASSWORD " +
          tx.quote(hashed_password(tx, connection.policy.noted(), role, password)) + " IN ROLE " +
          tx.quote_name(group));
  return NewLogin{role, password, pgpass_line_here(connection, role, password)};
}

}  // namespace

SchemaChange ClassServer::init() {
  return refused_as_server_error("cannot set up the class server", [&] {
    pqxx::work tx(*connection_);
    tx.exec_params("SELECT pg_advisory_xact_lock($1)", kInitLock);
    const int from = schema_version(tx);
    refuse_a_newer_schema(from);
    if (from == 0) {
      tx.exec(std::string(kVersionTable));
    }
    for (int v = from; v < kSchemaVersion; ++v) {
      tx.exec(std::string(kSchemaSteps[static_cast<size_t>(v)]));
    }
    if (from != kSchemaVersion) {
      tx.exec_params(
          "INSERT INTO schema_version(version) VALUES($1)"
          " ON CONFLICT (one_row) DO UPDATE SET version = EXCLUDED.version",
          kSchemaVersion);
    }
    tx.commit();
    return SchemaChange{from, kSchemaVersion};
  });
}

void ClassServer::add_class(std::string_view class_name) {
  check_class_name(class_name);
  refused_as_server_error("cannot add the class " + in_quotes(class_name), [&] {
    pqxx::work tx(*connection_);
    require_current_schema(tx);
    const std::string name(class_name);
    if (!tx.exec_params("SELECT FROM classes WHERE name = $1", name).empty()) {
      throw ServerError("there is already a class " + in_quotes(name));
    }
    const std::string prefix = std::string(connection_->dbname()) + " " + name;
    const std::string learners = prefix + " learners";
    const std::string teachers = prefix + " teachers";
    if (teachers.size() > kLongestRoleName) {
      throw BadName("the class name " + in_quotes(name) + " is too long for database " +
                    in_quotes(connection_->dbname()) + ": its roles' names would pass " +
                    std::to_string(kLongestRoleName) + " bytes");
    }
    const std::string l = tx.quote_name(learners);
    const std::string t = tx.quote_name(teachers);
    tx.exec("CREATE ROLE " + l + " NOLOGIN");
    tx.exec("CREATE ROLE " + t + " NOLOGIN");
    tx.exec_params("INSERT INTO classes(name, learners_role, teachers_role) VALUES($1, $2, $3)",
                   name, learners, teachers);
    tx.exec("GRANT SELECT ON classes, learners, blocks TO " + l + ", " + t);
    tx.exec("GRANT INSERT (" + std::string(kSentColumns) + ") ON blocks TO " + l);
    tx.commit();
  });
}

NewLogin ClassServer::add_learner(std::string_view class_name, std::string_view learner) {
  check_class_name(class_name);
  check_login_name(learner);
  return refused_as_server_error("cannot add the learner " + in_quotes(learner), [&] {
    pqxx::work tx(*connection_);
    require_current_schema(tx);
    const std::string role(learner);
    const std::string group = roles_of_class(tx, class_name).learners;
    const pqxx::result known = tx.exec_params("SELECT class FROM learners WHERE role = $1", role);
    if (!known.empty()) {
      throw ServerError(in_quotes(role) + " is already a learner, of class " +
                        in_quotes(known[0][0].as<std::string>()));
    }
    if (!tx.exec_params("SELECT FROM pg_roles WHERE rolname = $1", role).empty()) {
      throw ServerError("there is already a role " + in_quotes(role) +
                        " on this server: a learner needs a name of its own");
    }
    NewLogin login = new_login(tx, *connection_, role, group);
    tx.exec_params("INSERT INTO learners(role, class) VALUES($1, $2)", role,
                   std::string(class_name));
    tx.commit();
    return login;
  });
}

AddedTeacher ClassServer::add_teacher(std::string_view class_name, std::string_view teacher) {
  check_class_name(class_name);
  check_login_name(teacher);
  return refused_as_server_error("cannot add the teacher " + in_quotes(teacher), [&] {
    pqxx::work tx(*connection_);
    require_current_schema(tx);
    const std::string role(teacher);
    const std::string group = roles_of_class(tx, class_name).teachers;
    if (!tx.exec_params("SELECT FROM learners WHERE role = $1", role).empty()) {
      throw ServerError(in_quotes(role) + " is a learner: a teacher needs a name of its own");
    }
    const pqxx::result existing = tx.exec_params(
        "SELECT r.rolcanlogin,"
        " EXISTS (SELECT FROM pg_auth_members m JOIN pg_roles g ON g.oid = m.roleid"
        "         WHERE m.member = r.oid AND g.rolname = $2)"
        " FROM pg_roles r WHERE r.rolname = $1",
        role, group);
    AddedTeacher added;
    if (existing.empty()) {
      added.login = new_login(tx, *connection_, role, group);
    } else if (!existing[0][0].as<bool>()) {
      throw ServerError("the role " + in_quotes(role) + " cannot log in");
    } else if (existing[0][1].as<bool>()) {
      added.was_teaching = true;
    } else {
      tx.exec("GRANT " + tx.quote_name(group) + " TO " + tx.quote_name(role));
    }
    tx.commit();
    return added;
  });
}

}  // namespace tutor::classdb
