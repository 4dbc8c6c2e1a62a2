// What a signed-in teacher asks of the web service: the live report of a
// class it teaches, the report itself and its CSV, and who is signed in.

#include <algorithm>
#include <ctime>
#include <sstream>

#include "classweb/pages.h"
#include "classweb/service_parts.h"
#include "classweb/web_service.h"
#include "history/block_json.h"
#include "progress/progress_layout.h"
#include "teacher/class_summary.h"
#include "teacher/local_time.h"
#include "teacher/report_csv.h"
#include "teacher/report_html.h"
#include "teacher/roster.h"
#include "teacher/sign_in_cards.h"

namespace tutor::classweb {
namespace {

enum class Made { LivePage, Page, Csv };

struct ClassAsked {
  std::string class_name;
  std::string what;  // "", "state", "report", "report.csv"
};

std::optional<ClassAsked> class_asked(std::string_view path) {
  path.remove_prefix(std::string_view("/class/").size());
  const std::size_t slash = path.find('/');
  ClassAsked asked{std::string(path.substr(0, slash)),
                   slash == std::string_view::npos ? "" : std::string(path.substr(slash + 1))};
  try {
    classdb::check_class_name(asked.class_name);
  } catch (const classdb::BadName&) {
    return std::nullopt;
  }
  return asked;
}

std::string classes_json(const classdb::WebSession& session,
                         const std::vector<std::string>& classes) {
  std::string json = "{\"teacher\":true,\"name\":";
  history::append_json_string(json, session.name);
  json += ",\"csrf\":";
  history::append_json_string(json, session.csrf);
  json += ",\"classes\":[";
  for (const std::string& c : classes) {
    json += json.back() == '[' ? "" : ",";
    history::append_json_string(json, c);
  }
  return json + "]}";
}

// Every row that cannot be added, a line each, as velmora-class says them.
std::string problems_text(const teacher::Roster& roster) {
  std::string text;
  for (const teacher::RosterProblem& problem : roster.problems) {
    text += std::to_string(problem.line) + "行目: " + problem.what + "\n";
  }
  return text;
}

}  // namespace

http::Response WebService::add_roster(const http::Request& request,
                                      const classdb::WebSession& session,
                                      const std::string& class_name) {
  return pool_.as(session.role, [&](classdb::ClassServer& server) {
    const std::vector<std::string> in_class = server.learner_names(class_name);
    teacher::Roster roster;
    try {
      roster = teacher::read_roster(request.body, in_class);
    } catch (const teacher::NotARoster& e) {
      return text_response(400, std::string("名簿を 読めません: ") + e.what() + "\n");
    }
    if (!roster.problems.empty()) {
      return text_response(400, problems_text(roster));
    }
    std::vector<std::string> logins;
    for (const teacher::RosterLearner& learner : roster.learners) {
      logins.push_back(learner.login);
    }
    const std::vector<classdb::NewLogin> added = server.add_learners_taught(class_name, logins);
    std::vector<teacher::SignInCard> cards;
    for (std::size_t i = 0; i < added.size(); ++i) {
      const teacher::RosterLearner& l = roster.learners[i];
      cards.push_back({class_name, l.login, added[i].password, l.number, l.name});
    }
    std::ostringstream page;
    teacher::write_sign_in_cards(
        page, cards, (request.secure ? "https://" : "http://") + request.header("Host") + "/");
    http::Response response = html_response(200, page.str());
    return response.with("Content-Disposition",
                         "attachment; filename=\"" + class_name + "-cards.html\"");
  });
}

http::Response WebService::teacher_request(const http::Request& request,
                                           const classdb::WebSession& session) {
  if (request.path == "/api/session" && request.method == "GET") {
    return json_response(200, classes_json(session, pool_.as(session.role, [](auto& server) {
                           return server.classes_taught();
                         })));
  }
  if (!request.path.starts_with("/class/")) {
    return json_response(403, error_json("a teacher's sign-in keeps no learner's files"));
  }
  const std::optional<ClassAsked> asked = class_asked(request.path);
  if (asked && asked->what == "roster" && request.method == "POST") {
    return add_roster(request, session, asked->class_name);
  }
  if (!asked || request.method != "GET") {
    return text_response(404, "no such page\n");
  }
  if (asked->what == "state") {
    return text_response(200, pool_.as(session.role, [&](classdb::ClassServer& server) {
      return server.class_state(asked->class_name);
    }));
  }
  const Made made = asked->what.empty()           ? Made::LivePage
                    : asked->what == "report"     ? Made::Page
                    : asked->what == "report.csv" ? Made::Csv
                                                  : Made::LivePage;
  if (!asked->what.empty() && asked->what != "report" && asked->what != "report.csv") {
    return text_response(404, "no such page\n");
  }
  const std::time_t now = std::time(nullptr);
  const classdb::ReportPeriod period{teacher::week_start(now), teacher::utc_offset_s(now),
                                     progress::kRecentBlocks};
  const std::vector<std::string> taught =
      pool_.as(session.role, [](classdb::ClassServer& server) { return server.classes_taught(); });
  if (std::find(taught.begin(), taught.end(), asked->class_name) == taught.end()) {
    // Not the teacher's class, or no class of that name: the same answer.
    return html_response(403, refusal_page("見られない クラスです",
                                           "このクラスの 先生として サインインしていません。"));
  }
  const classdb::ClassReport report = pool_.as(session.role, [&](classdb::ClassServer& server) {
    return server.class_report(asked->class_name, period);
  });
  const teacher::ClassSummary summary = teacher::summarise(report);
  std::ostringstream out;
  if (made == Made::Csv) {
    teacher::write_report_csv(out, summary);
    http::Response csv{200, "text/csv; charset=utf-8", out.str(), {}};
    return csv.with("Content-Disposition", "attachment; filename=\"" + asked->class_name + ".csv\"")
        .with("Cache-Control", "no-store");
  }
  teacher::write_report_html(out, summary, {static_cast<std::int64_t>(now), period.week_start});
  return html_response(200, made == Made::Page
                                ? out.str()
                                : live_report_page(out.str(), asked->class_name, session.csrf));
}

}  // namespace tutor::classweb
