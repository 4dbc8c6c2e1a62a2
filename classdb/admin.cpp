// The administrator's side of the class server: the schema, classes and roles.

#include <pg_config.h>
#include <pg_config_manual.h>

#include <fstream>
#include <memory>
#include <optional>

#include "classdb/admin.h"
#include "classdb/schema.h"
#include "classdb/web_logins.h"

namespace tutor::classdb {
namespace {

// Any fixed number: two inits at once take turns.
constexpr long long kInitLock = 0x76656c6d6f7261;  // "velmora"
// Any login may take init's lock, or lock a table init changes, and hold it:
// init gives up after this long rather than wait for ever.
constexpr std::string_view kInitLockWait = "10s";

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

// `length` characters of `alphabet` (at most 256), from the kernel's random source.
std::string random_text(std::string_view alphabet, size_t length) {
  std::ifstream random("/dev/urandom", std::ios::binary);
  // Bytes past the last whole multiple of the alphabet would favour its first letters.
  const size_t usable = 256 - 256 % alphabet.size();
  std::string text;
  while (text.size() < length) {
    char byte = 0;
    if (!random.get(byte)) {
      throw ServerError("cannot read /dev/urandom");
    }
    const auto value = static_cast<unsigned char>(byte);
    if (value < usable) {
      text += alphabet[value % alphabet.size()];
    }
  }
  return text;
}

// 24 characters of 62, about 143 bits.
std::string new_password() {
  return random_text("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 24);
}

// A role's name that tells nothing of whose it is: every login may read
// every role's name and memberships. 64 random bits; one already taken is
// found by CREATE ROLE and refused.
std::string new_role_name() {
  return std::string("velmora_") + random_text("0123456789abcdef", 16);
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
    throw ServerError(std::string("cannot hash the new password: ") +
                      one_line(PQerrorMessage(handle)));
  }
  return hashed.get();
}

// Makes a login role with a new password, a member of `group` (a learner's
// or teacher's, which the web service may become), or of none (the web
// service's own).
NewLogin new_login(pqxx::work& tx,
                   ClassServer::Connection& connection,
                   const std::string& role,
                   const std::string& group) {
  const std::string password = new_password();
  tx.exec("CREATE ROLE " + tx.quote_name(role) + " LOGIN PASSWORD " +
          tx.quote(hashed_password(tx, connection.policy.noted(), role, password)) +
          (group.empty() ? std::string() : " IN ROLE " + tx.quote_name(group)));
  if (!group.empty()) {
    let_web_logins_become(tx, role);
  }
  return NewLogin{role, password, pgpass_line_here(connection, role, password)};
}

// Whether PUBLIC, so every learner, may still make large objects, which no
// limit bounds. Only a superuser may take that from PUBLIC.
bool large_objects_open(pqxx::work& tx) {
  return tx
      .exec1(
          "SELECT bool_or(p.proacl IS NULL OR EXISTS ("
          "  SELECT FROM aclexplode(p.proacl) a WHERE a.grantee = 0 AND a.privilege_type = "
          "'EXECUTE'))"
          "  FROM pg_proc p WHERE p.oid IN ('lo_create(oid)'::regprocedure,"
          "  'lo_creat(integer)'::regprocedure, 'lo_from_bytea(oid, bytea)'::regprocedure)")[0]
      .as<bool>();
}

void close_large_objects_where_allowed(pqxx::work& tx) {
  if (tx.exec1("SELECT rolsuper FROM pg_roles WHERE rolname = current_user")[0].as<bool>()) {
    tx.exec(std::string(kCloseLargeObjects));
  }
}

}  // namespace

std::string in_quotes(std::string_view s) {
  std::string quoted = "\"";
  quoted += s;
  return quoted + '"';
}

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

ClassRoles roles_of_class(pqxx::work& tx, std::string_view class_name) {
  const pqxx::result row = tx.exec_params(
      "SELECT learners_role, teachers_role FROM classes WHERE name = $1", std::string(class_name));
  if (row.empty()) {
    throw ServerError("there is no class " + in_quotes(class_name) +
                      ": add it with add-class first");
  }
  return ClassRoles{row[0][0].as<std::string>(), row[0][1].as<std::string>()};
}

std::string learner_role(pqxx::work& tx, std::string_view class_name, std::string_view learner) {
  roles_of_class(tx, class_name);  // says so where there is no such class
  const pqxx::result known =
      tx.exec_params("SELECT role::text FROM learners WHERE class = $1 AND name = $2",
                     std::string(class_name), std::string(learner));
  if (known.empty()) {
    throw ServerError("there is no learner " + in_quotes(learner) + " in class " +
                      in_quotes(class_name));
  }
  return known[0][0].as<std::string>();
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

std::string give_new_password(pqxx::work& tx,
                              ClassServer::Connection& connection,
                              const std::string& role) {
  const std::string password = new_password();
  tx.exec(std::string("ALTER ROLE ") + tx.quote_name(role) + " PASSWORD " +
          tx.quote(hashed_password(tx, connection.policy.noted(), role, password)));
  // A browser signed in with the old password is signed out.
  tx.exec_params("DELETE FROM web_sessions WHERE role = $1", role);
  return password;
}

NewLogin add_learner_to(pqxx::work& tx,
                        ClassServer::Connection& connection,
                        std::string_view class_name,
                        const std::string& group,
                        std::string_view learner) {
  const std::string name(learner);
  if (!tx.exec_params("SELECT FROM learners WHERE class = $1 AND name = $2",
                      std::string(class_name), name)
           .empty()) {
    throw ServerError("there is already a learner " + in_quotes(name) + " in class " +
                      in_quotes(class_name));
  }
  NewLogin login = new_login(tx, connection, new_role_name(), group);
  tx.exec_params("INSERT INTO learners(role, class, name) VALUES($1, $2, $3)", login.role,
                 std::string(class_name), name);
  return login;
}

SchemaChange ClassServer::init() {
  return refused_as_server_error("cannot set up the class server", [&] {
    pqxx::work tx(*connection_);
    tx.exec(std::string("SET LOCAL lock_timeout = '") + std::string(kInitLockWait) + "'");
    try {
      tx.exec_params("SELECT pg_advisory_xact_lock($1)", kInitLock);
      const int from = schema_version(tx);
      refuse_a_newer_schema(from);
      // The steps' policies are made for whoever runs them: the
      // administrator's, not a superuser's come to close large objects.
      if (from != 0 && from != kSchemaVersion &&
          !tx.exec1("SELECT relowner = (SELECT oid FROM pg_roles WHERE rolname = current_user)"
                    " FROM pg_class WHERE oid = 'schema_version'::regclass")[0]
               .as<bool>()) {
        throw ServerError(
            "the class server is its administrator's, the owner of its tables: bring it up to "
            "date as that role first");
      }
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
      close_large_objects_where_allowed(tx);
      SchemaChange change{
          from, kSchemaVersion, large_objects_open(tx),
          tx.exec1("SELECT count(*) FROM learners WHERE role = name")[0].as<int>(),
          from < 3 ? tx.exec1("SELECT count(*) FROM refused_blocks")[0].as<long long>() : 0};
      tx.commit();
      return change;
    } catch (const pqxx::sql_error& e) {
      if (e.sqlstate() == "55P03") {  // lock_not_available
        throw ServerError(
            "cannot set up the class server: another session has held a lock init needs for " +
            std::string(kInitLockWait) +
            " (another init, or a session left open on the class server's tables); try again, "
            "or end that session (pg_stat_activity lists them)");
      }
      throw;
    }
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
    const std::string learners = new_role_name();
    const std::string teachers = new_role_name();
    const std::string l = tx.quote_name(learners);
    const std::string t = tx.quote_name(teachers);
    tx.exec("CREATE ROLE " + l + " NOLOGIN");
    tx.exec("CREATE ROLE " + t + " NOLOGIN");
    tx.exec_params("INSERT INTO classes(name, learners_role, teachers_role) VALUES($1, $2, $3)",
                   name, learners, teachers);
    tx.exec("GRANT SELECT ON classes, learners TO " + l + ", " + t);
    tx.exec("GRANT SELECT ON blocks TO " + t);
    tx.exec("GRANT UPDATE (pass_mark) ON classes TO " + t);
    tx.exec("GRANT INSERT (" + std::string(kSentColumns) + ") ON blocks TO " + l);
    tx.exec("GRANT SELECT, INSERT, UPDATE, DELETE ON learner_files TO " + l);
    tx.exec("GRANT EXECUTE ON FUNCTION open_web_session() TO " + l + ", " + t);
    tx.exec("GRANT EXECUTE ON FUNCTION add_learners_taught(text, text[]) TO " + t);
    tx.commit();
  });
}

NewLogin ClassServer::add_learner(std::string_view class_name, std::string_view learner) {
  check_class_name(class_name);
  check_login_name(learner);
  return refused_as_server_error("cannot add the learner " + in_quotes(learner), [&] {
    pqxx::work tx(*connection_);
    require_current_schema(tx);
    const std::string group = roles_of_class(tx, class_name).learners;
    NewLogin login = add_learner_to(tx, *connection_, class_name, group, learner);
    tx.commit();
    return login;
  });
}

NewLogin ClassServer::renew_login(std::string_view class_name, std::string_view learner) {
  check_class_name(class_name);
  check_login_name(learner);
  return refused_as_server_error("cannot give " + in_quotes(learner) + " a new login", [&] {
    pqxx::work tx(*connection_);
    require_current_schema(tx);
    const std::string old_role = learner_role(tx, class_name, learner);
    const std::string role = new_role_name();
    // The role keeps its memberships; its blocks and their count follow it.
    tx.exec(std::string("ALTER ROLE ") + tx.quote_name(old_role) + " RENAME TO " +
            tx.quote_name(role));
    const std::string password = give_new_password(tx, *connection_, role);
    tx.exec_params("UPDATE learners SET role = $1 WHERE role = $2", role, old_role);
    tx.exec_params("UPDATE blocks SET learner = $1 WHERE learner = $2", role, old_role);
    tx.exec_params("UPDATE sent_a_day SET learner = $1 WHERE learner = $2", role, old_role);
    tx.exec_params("UPDATE learner_files SET learner = $1 WHERE learner = $2", role, old_role);
    tx.exec_params("DELETE FROM web_sessions WHERE role = $1", old_role);
    tx.commit();
    return NewLogin{role, password, pgpass_line_here(*connection_, role, password)};
  });
}

int ClassServer::blocks_a_day(std::optional<int> most) {
  return refused_as_server_error("cannot change the blocks a learner may send a day", [&] {
    pqxx::work tx(*connection_);
    require_current_schema(tx);
    if (most) {
      if (*most < 0 || *most > kMostBlocksADay) {
        throw ServerError("the blocks a day are 0 to " + std::to_string(kMostBlocksADay));
      }
      tx.exec_params("UPDATE limits SET blocks_a_day = $1", *most);
    }
    const int now = tx.exec1("SELECT blocks_a_day FROM limits")[0].as<int>();
    tx.commit();
    return now;
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
      let_web_logins_become(tx, role);
    }
    tx.commit();
    return added;
  });
}

std::optional<NewLogin> ClassServer::add_web_login(std::string_view role) {
  check_login_name(role);
  return refused_as_server_error("cannot make " + in_quotes(role) + " a web login", [&] {
    pqxx::work tx(*connection_);
    require_current_schema(tx);
    const std::string name(role);
    const std::string quoted = tx.quote_name(name);
    if (!tx.exec_params("SELECT FROM learners WHERE role = $1", name).empty()) {
      throw ServerError(in_quotes(name) +
                        " is a learner: the web service needs a login of its own");
    }
    std::optional<NewLogin> made;
    if (tx.exec_params("SELECT FROM pg_roles WHERE rolname = $1", name).empty()) {
      made = new_login(tx, *connection_, name, "");
    }
    tx.exec("ALTER ROLE " + quoted + " NOINHERIT");
    tx.exec_params("INSERT INTO web_logins(role) VALUES($1) ON CONFLICT DO NOTHING", name);
    tx.exec("GRANT EXECUTE ON FUNCTION " + std::string(kWebFunctions) + " TO " + quoted);
    // Every learner's login and every teacher's, to become after a sign-in.
    const pqxx::result logins = tx.exec(
        "SELECT l.role::text FROM learners l JOIN pg_roles r ON r.rolname = l.role"
        " UNION SELECT m.rolname::text FROM classes c JOIN pg_roles t ON t.rolname = "
        "c.teachers_role"
        " JOIN pg_auth_members a ON a.roleid = t.oid JOIN pg_roles m ON m.oid = a.member");
    for (const pqxx::row& login : logins) {
      tx.exec("GRANT " + tx.quote_name(login[0].as<std::string>()) + " TO " + quoted);
    }
    tx.commit();
    return made;
  });
}

}  // namespace tutor::classdb
