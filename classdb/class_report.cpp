// The sums of a teacher's report of a class, made by the server.

#include "classdb/class_report.h"

#include "classdb/connection.h"
#include "classdb/report_queries.h"

namespace tutor::classdb {
namespace {

std::string text_of(const pqxx::field& f) {
  return f.is_null() ? std::string() : f.as<std::string>();
}

ShownBlock shown_block(const pqxx::row& row, pqxx::row::size_type first) {
  return ShownBlock{text_of(row[first]), row[first + 1].as<double>(), text_of(row[first + 2]),
                    text_of(row[first + 3]), row[first + 4].as<std::int64_t>()};
}

// Refuses anyone but a teacher of the class and the administrator: a learner
// of the class would see its own blocks only, a report of nothing.
void check_who_asks(pqxx::transaction_base& tx, const std::string& class_name) {
  const pqxx::row who = tx.exec_params1(std::string(report_sql::kWhoAsks), class_name);
  const auto user = who[0].as<std::string>();
  const bool administrator = who[1].as<bool>(), exists = who[2].as<bool>(),
             teaches = who[3].as<bool>();
  if (administrator && !exists) {
    throw ServerError("there is no class \"" + class_name + "\"");
  }
  if (!administrator && !teaches) {
    throw ServerError(user + " teaches no class \"" + class_name + "\"");
  }
}

}  // namespace

ClassReport ClassServer::class_report(std::string_view class_name, const ReportPeriod& period) {
  check_class_name(class_name);
  return refused_as_server_error(
      "cannot make the report of the class \"" + std::string(class_name) + "\"", [&] {
        // One snapshot for every query: a block arriving meanwhile is in all
        // of the report or in none of it.
        pqxx::transaction<pqxx::repeatable_read, pqxx::read_only> tx(*connection_);
        ClassReport report;
        report.class_name = class_name;
        check_who_asks(tx, report.class_name);

        for (const pqxx::row& row :
             tx.exec_params(std::string(report_sql::kLearners), report.class_name)) {
          report.learners.push_back(row[0].as<std::string>());
        }
        const std::string evaluated(report_sql::kEvaluatedBlocks);
        for (const pqxx::row& row : tx.exec_params(
                 evaluated + std::string(report_sql::kProgramTallies), report.class_name,
                 period.week_start, std::string(history::results::kTooManyErrors),
                 std::string(history::results::kTooSlow), std::string(history::results::kNotYet))) {
          ProgramTally t{row[0].as<std::string>(), row[1].as<std::string>(),
                         row[2].as<std::string>(), row[3].as<long long>(),
                         row[4].as<long long>(),   row[5].as<long long>(),
                         row[6].as<int>(),         std::nullopt,
                         shown_block(row, 12)};
          if (!row[11].is_null()) {
            t.best = shown_block(row, 7);
          }
          report.programs.push_back(std::move(t));
        }
        for (const pqxx::row& row : tx.exec_params(evaluated + std::string(report_sql::kDayMeans),
                                                   report.class_name, period.utc_offset_s)) {
          report.days.push_back({row[0].as<std::string>(), row[1].as<std::string>(),
                                 row[2].as<std::string>(), row[3].as<std::int64_t>(),
                                 row[4].as<double>(), row[5].as<long long>()});
        }
        for (const pqxx::row& row : tx.exec_params(std::string(report_sql::kKeySums),
                                                   report.class_name, period.recent_blocks)) {
          report.keys.push_back({row[0].as<int>(), row[1].as<long long>(), row[2].as<long long>()});
        }
        for (const pqxx::row& row : tx.exec_params(std::string(report_sql::kKanaSums),
                                                   report.class_name, period.recent_blocks)) {
          report.kana.push_back(
              {row[0].as<std::string>(), row[1].as<long long>(), row[2].as<long long>()});
        }
        tx.commit();
        return report;
      });
}

std::optional<std::string> ClassServer::pass_mark(std::string_view class_name,
                                                  std::optional<std::optional<std::string>> set) {
  check_class_name(class_name);
  const std::optional<std::string> mark =
      set && *set ? std::optional(checked_pass_mark(**set)) : std::nullopt;
  return refused_as_server_error(
      "cannot " + std::string(set ? "set" : "read") + " the pass mark of the class \"" +
          std::string(class_name) + "\"",
      [&]() -> std::optional<std::string> {
        pqxx::work tx(*connection_);
        check_who_asks(tx, std::string(class_name));
        if (set) {
          if (mark) {
            tx.exec_params("UPDATE classes SET pass_mark = $2 WHERE name = $1",
                           std::string(class_name), *mark);
          } else {
            tx.exec_params("UPDATE classes SET pass_mark = NULL WHERE name = $1",
                           std::string(class_name));
          }
        }
        const pqxx::row now = tx.exec_params1("SELECT pass_mark FROM classes WHERE name = $1",
                                              std::string(class_name));
        tx.commit();
        return now[0].is_null() ? std::nullopt : std::optional(now[0].as<std::string>());
      });
}

std::optional<std::string> ClassServer::own_class_pass_mark() {
  return refused_as_server_error(
      "cannot read the class's pass mark", [&]() -> std::optional<std::string> {
        pqxx::read_transaction tx(*connection_);
        const pqxx::result rows = tx.exec("SELECT pass_mark FROM classes");
        if (rows.size() != 1 || rows[0][0].is_null()) {
          return std::nullopt;
        }
        return rows[0][0].as<std::string>();
      });
}

std::vector<std::string> ClassServer::classes_taught() {
  return refused_as_server_error("cannot read the classes taught", [&] {
    pqxx::read_transaction tx(*connection_);
    std::vector<std::string> names;
    for (const pqxx::row& row : tx.exec(std::string(report_sql::kClassesTaught))) {
      names.push_back(row[0].as<std::string>());
    }
    return names;
  });
}

}  // namespace tutor::classdb
