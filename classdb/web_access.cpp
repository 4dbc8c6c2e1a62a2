// The class's web service on the class server: its logins, the sessions it
// opens and finds, and what it does as the learner or teacher signed in.

#include <algorithm>
#include <memory>

#include "classdb/connection.h"
#include "classdb/schema.h"
#include "classdb/web_logins.h"

namespace tutor::classdb {
namespace {

// The fields a browser's block may have: the columns a learner's computer sends.
constexpr std::string_view kBlockFields =
    "{uid,ended_at,program,step,seconds,typed_right,typed_wrong,evaluation,result,lesson,input,"
    "keys,kana}";

// A browser's clock may run ahead a little, not by days.
constexpr std::string_view kLatestBlock = "now() + interval '1 day'";

using Libpq = std::unique_ptr<PGconn, decltype(&PQfinish)>;

// A login through the service as `role` with `password`: its connection, or
// WrongPassword where the server asked for the password and refused it.
Libpq log_in(std::string_view service,
             std::string_view role,
             std::string_view password,
             int connect_timeout_s) {
  const std::string options = "service=" + conninfo_value(service) +
                              " user=" + conninfo_value(role) +
                              " password=" + conninfo_value(password) +
                              " connect_timeout=" + std::to_string(std::max(connect_timeout_s, 1)) +
                              " fallback_application_name=velmora-web";
  Libpq connection(PQconnectdb(options.c_str()), &PQfinish);
  if (connection && PQstatus(connection.get()) == CONNECTION_OK) {
    return connection;
  }
  // Whatever language the server speaks: it asked for the password and
  // then ended the login.
  if (connection && PQconnectionUsedPassword(connection.get()) != 0) {
    throw WrongPassword("the password or the name is not right");
  }
  throw ServerError(
      "cannot reach the class server through the service \"" + std::string(service) +
      "\": " + one_line(connection ? PQerrorMessage(connection.get()) : "out of memory"));
}

}  // namespace

void let_web_logins_become(pqxx::work& tx, const std::string& role) {
  for (const pqxx::row& web : tx.exec("SELECT role::text FROM web_logins")) {
    tx.exec("GRANT " + tx.quote_name(role) + " TO " + tx.quote_name(web[0].as<std::string>()));
  }
}

OpenedSession ClassServer::open_web_session(std::string_view service,
                                            std::string_view role,
                                            std::string_view password,
                                            int connect_timeout_s) {
  const Libpq connection = log_in(service, role, password, connect_timeout_s);
  const std::unique_ptr<PGresult, decltype(&PQclear)> opened(
      PQexec(connection.get(), "SELECT token, csrf FROM open_web_session()"), &PQclear);
  if (PQresultStatus(opened.get()) != PGRES_TUPLES_OK || PQntuples(opened.get()) != 1) {
    throw ServerError("cannot open a session on the class server: " +
                      one_line(PQerrorMessage(connection.get())));
  }
  return OpenedSession{PQgetvalue(opened.get(), 0, 0), PQgetvalue(opened.get(), 0, 1)};
}

void ClassServer::refuse_unknown_name(std::string_view service,
                                      std::string_view password,
                                      int connect_timeout_s) {
  // A role nobody may make (its name is too long to be one): the server
  // answers as for a wrong password, after the same exchange.
  log_in(service, "velmora_no_such_login_velmora_no_such_login_velmora_no", password,
         connect_timeout_s);
}

SignInTarget ClassServer::sign_in_target(std::string_view class_name, std::string_view name) {
  return refused_as_server_error("cannot look up the sign-in", [&] {
    pqxx::work tx(*connection_);
    const pqxx::row row =
        tx.exec_params1("SELECT role::text, failures FROM web_sign_in_role($1, $2)",
                        std::string(class_name), std::string(name));
    tx.commit();
    SignInTarget target;
    if (!row[0].is_null()) {
      target.role = row[0].as<std::string>();
    }
    target.recent_failures = row[1].as<int>();
    return target;
  });
}

void ClassServer::note_sign_in_failure(std::string_view class_name, std::string_view name) {
  refused_as_server_error("cannot note the sign-in", [&] {
    pqxx::work tx(*connection_);
    tx.exec_params("SELECT note_web_sign_in_failure($1, $2)", std::string(class_name),
                   std::string(name));
    tx.commit();
  });
}

std::optional<WebSession> ClassServer::web_session(std::string_view token) {
  return refused_as_server_error("cannot look up the session", [&] {
    pqxx::work tx(*connection_);
    const pqxx::row row = tx.exec_params1(
        "SELECT role::text, csrf, teacher, class, name FROM web_session($1)", std::string(token));
    tx.commit();
    if (row[0].is_null()) {
      return std::optional<WebSession>();
    }
    return std::optional<WebSession>(
        WebSession{row[0].as<std::string>(), row[1].as<std::string>(), row[2].as<bool>(),
                   row[3].is_null() ? "" : row[3].as<std::string>(), row[4].as<std::string>()});
  });
}

void ClassServer::end_web_session(std::string_view token) {
  refused_as_server_error("cannot end the session", [&] {
    pqxx::work tx(*connection_);
    tx.exec_params("SELECT end_web_session($1)", std::string(token));
    tx.commit();
  });
}

void ClassServer::act_as(std::string_view role) {
  refused_as_server_error("cannot act as the signed-in login", [&] {
    pqxx::nontransaction tx(*connection_);
    tx.exec("SET ROLE " + tx.quote_name(std::string(role)));
  });
}

void ClassServer::act_as_self() {
  refused_as_server_error("cannot act as the web login again", [&] {
    pqxx::nontransaction tx(*connection_);
    tx.exec("RESET ROLE");
  });
}

std::vector<LearnerFile> ClassServer::learner_files() {
  return refused_as_server_error("cannot read the learner's files", [&] {
    pqxx::work tx(*connection_);
    std::vector<LearnerFile> files;
    for (const pqxx::row& row : tx.exec("SELECT path, content, revision FROM learner_files"
                                        " WHERE learner = current_user ORDER BY path")) {
      files.push_back(
          {row[0].as<std::string>(), pqxx::binarystring(row[1]).str(), row[2].as<std::int64_t>()});
    }
    tx.commit();
    return files;
  });
}

LearnerFile ClassServer::keep_learner_file(std::string_view path,
                                           std::int64_t base_revision,
                                           std::string_view content,
                                           const FileMerge& merge) {
  return refused_as_server_error("cannot keep the learner's file", [&] {
    pqxx::work tx(*connection_);
    const std::string name(path);
    const pqxx::binarystring sent(content.data(), content.size());
    // The first of two browsers to add a file makes it; the other finds it.
    const pqxx::result added = tx.exec_params(
        "INSERT INTO learner_files(path, content) VALUES($1, $2)"
        " ON CONFLICT DO NOTHING RETURNING revision",
        name, sent);
    if (!added.empty()) {
      tx.commit();
      return LearnerFile{name, std::string(content), added[0][0].as<std::int64_t>()};
    }
    const pqxx::row kept = tx.exec_params1(
        "SELECT content, revision FROM learner_files"
        " WHERE learner = current_user AND path = $1 FOR UPDATE",
        name);
    const std::string held = pqxx::binarystring(kept[0]).str();
    const auto revision = kept[1].as<std::int64_t>();
    std::string now = base_revision == revision ? std::string(content) : merge(path, held, content);
    if (now == held) {
      tx.commit();
      return LearnerFile{name, held, revision};
    }
    const pqxx::binarystring stored(now.data(), now.size());
    const pqxx::row changed = tx.exec_params1(
        "UPDATE learner_files SET content = $2, revision = revision + 1, updated_at = now()"
        " WHERE learner = current_user AND path = $1 RETURNING revision",
        name, stored);
    tx.commit();
    return LearnerFile{name, std::move(now), changed[0].as<std::int64_t>()};
  });
}

int ClassServer::send_blocks_json(std::string_view json) {
  return refused_as_server_error("the class server did not take the blocks", [&] {
    try {
      pqxx::work tx(*connection_);
      const std::string body(json);
      const pqxx::row shape = tx.exec_params1(
          "SELECT jsonb_typeof(j) = 'array' AND NOT EXISTS ("
          "  SELECT FROM jsonb_array_elements(j) e WHERE jsonb_typeof(e) <> 'object'),"
          " (SELECT string_agg(DISTINCT k, ', ') FROM jsonb_array_elements(j) e,"
          "   jsonb_object_keys(e) k WHERE k <> ALL ($2::text[]))"
          " FROM (SELECT $1::jsonb AS j) sent",
          body, std::string(kBlockFields));
      if (!shape[0].as<bool>()) {
        throw BlockRefused("the blocks are not a list of blocks");
      }
      if (!shape[1].is_null()) {
        throw BlockRefused("a block has fields no block has: " + shape[1].as<std::string>());
      }
      const std::string sent =
          "SELECT * FROM jsonb_to_recordset($1::jsonb) AS b(uid uuid, ended_at timestamptz,"
          " program text, step integer, seconds integer, typed_right integer, typed_wrong integer,"
          " evaluation text, result text, lesson text, input text, keys jsonb, kana jsonb)";
      if (tx.exec_params1("SELECT count(*) FROM (" + sent + ") b WHERE ended_at > " +
                              std::string(kLatestBlock),
                          body)[0]
              .as<int>() > 0) {
        throw BlockRefused("a block ended later than tomorrow");
      }
      const pqxx::result kept = tx.exec_params("INSERT INTO blocks(" + std::string(kSentColumns) +
                                                   ") SELECT " + std::string(kSentColumns) +
                                                   " FROM (" + sent + ") b ON CONFLICT DO NOTHING",
                                               body);
      tx.commit();
      return static_cast<int>(kept.affected_rows());
    } catch (const pqxx::sql_error& e) {
      // As a computer's sending tells them (send_in_one_transaction).
      const std::string state = e.sqlstate();
      if (state.starts_with("22") || state.starts_with("23")) {
        throw BlockRefused("the class server refused a block: " + one_line(e.what()));
      }
      throw;
    }
  });
}

std::vector<NewLogin> ClassServer::add_learners_taught(std::string_view class_name,
                                                       std::span<const std::string> learners) {
  return refused_as_server_error("cannot add the learners", [&] {
    pqxx::work tx(*connection_);
    std::string names = "{";
    for (const std::string& learner : learners) {
      check_login_name(learner);  // no quote or comma in the array's text
      names += (names.size() > 1 ? "," : "") + learner;
    }
    std::vector<NewLogin> added;
    for (const pqxx::row& row :
         tx.exec_params("SELECT role::text, password FROM add_learners_taught($1, $2::text[])",
                        std::string(class_name), names + "}")) {
      added.push_back({row[0].as<std::string>(), row[1].as<std::string>(), ""});
    }
    tx.commit();
    return added;
  });
}

std::string ClassServer::class_state(std::string_view class_name) {
  return refused_as_server_error("cannot look at the class", [&] {
    pqxx::work tx(*connection_);
    const pqxx::row row = tx.exec_params1(
        "SELECT count(*), coalesce(max(b.received_at)::text, '') FROM learners l"
        " JOIN blocks b ON b.learner = l.role WHERE l.class = $1",
        std::string(class_name));
    tx.commit();
    return row[0].as<std::string>() + " " + row[1].as<std::string>();
  });
}

}  // namespace tutor::classdb
