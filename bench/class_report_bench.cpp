// A teacher's report of one class on a district's class server, against a
// PostgreSQL server of its own (Debian's postgresql): 1,000 classes of 35
// learners, 100 blocks a learner (3.5 million blocks with key tallies of
// three keys, the word course's with a kana tally), in the order they would
// arrive, learner after learner. Only the measured class's learners and its
// teacher are login roles; the other rows name learners without roles, as
// the superuser who loads them may.
//
// Timed as the measured class's teacher, each the median of several runs:
// ClassServer::class_report over an open connection, and the whole
// `velmora-class report 5-2 --html FILE` (start, login, queries, page);
// with every index, with the learners' policy as schema version 1 wrote it,
// and with the report's indexes dropped one by one.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/class_web_support.h"
#include "classdb/classdb.h"
#include "tests/support/pg_cluster.h"

namespace {

using namespace tutor;
using Clock = std::chrono::steady_clock;

constexpr int kClasses = 1000;
constexpr int kLearnersPerClass = 35;
constexpr int kBlocksPerLearner = 100;

double ms_since(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

void as_superuser(const testing::PgCluster& cluster, const std::string& sql) {
  const testing::Ran ran = cluster.psql(testing::PgCluster::kSuperuserService, sql);
  if (ran.status != 0) {
    throw std::runtime_error(sql + "\n" + ran.err);
  }
}

// The other 999 classes and their learners, then every learner's blocks:
// block g is learner g mod 35,000's, a day's round of the district after
// another, so that a learner's blocks lie scattered over the table as sent.
void load_district(const testing::PgCluster& cluster) {
  const auto started = Clock::now();
  as_superuser(cluster,
               "INSERT INTO classes SELECT 'c' || i, 'velmora c' || i || ' learners',"
               " 'velmora c' || i || ' teachers' FROM generate_series(2, " +
                   std::to_string(kClasses) + ") i");
  as_superuser(cluster,
               "INSERT INTO learners SELECT 'c' || i || '_' || j, 'c' || i, 'c' || i || '_' || j"
               " FROM generate_series(2, " +
                   std::to_string(kClasses) + ") i, generate_series(1, " +
                   std::to_string(kLearnersPerClass) + ") j");
  const std::string learners = std::to_string(kClasses * kLearnersPerClass);
  const std::string blocks = std::to_string(kClasses * kLearnersPerClass * kBlocksPerLearner);
  as_superuser(
      cluster,
      // Years of a district loaded at once, not sent: no day's count.
      "ALTER TABLE blocks DISABLE TRIGGER count_sent;"
      "ALTER TABLE blocks DROP CONSTRAINT blocks_pkey;"
      "DROP INDEX blocks_by_learner;"
      "CREATE TEMP TABLE numbered AS"
      "  SELECT role, (row_number() OVER (ORDER BY role) - 1)::int AS n FROM learners;"
      "INSERT INTO blocks(uid, learner, ended_at, program, step, seconds, typed_right,"
      "                   typed_wrong, evaluation, result, lesson, input, keys, kana)"
      " SELECT md5(g::text)::uuid, l.role,"
      "        timestamptz '2026-04-01 08:00+09' + (g / " +
          learners +
          ") * interval '1 day'"
          "          + (g % " +
          learners +
          ") * interval '1 second',"
          "        p.program, 1 + g % 4, 60 + g % 120, 100 + g % 50, g % 7,"
          "        (40 + g % 97)::text || '.' || (g % 10), "
          "        CASE WHEN p.program = 'Zarbet' THEN '初段' WHEN g % 5 = 0 THEN 'too slow'"
          "             ELSE 'pass' END,"
          "        CASE WHEN p.program = 'Kotoba' THEN (1 + g % 42)::text ELSE '' END,"
          "        CASE WHEN p.program = 'Kotoba' THEN (ARRAY['romaji', 'kana'])[1 + g % 2]"
          "             ELSE '' END,"
          "        ('[{\"key\":' || 1 + g % 48 || ',\"right\":30,\"wrong\":' || g % 4 ||"
          "         ',\"instead\":[{\"key\":' || 1 + (g + 1) % 48 || ',\"count\":' || g % 4 || "
          "'}]},"
          "          {\"key\":' || 1 + (g + 7) % 48 || ',\"right\":40,\"wrong\":1,\"instead\":[]},"
          "          {\"key\":49,\"right\":20,\"wrong\":0,\"instead\":[]}]')::jsonb,"
          "        CASE WHEN p.program = 'Kotoba'"
          "             THEN ('[{\"kana\":\"' || (ARRAY['か','し','つ','ん','を'])[1 + g % 5] ||"
          "                   '\",\"right\":12,\"wrong\":' || g % 3 || '}]')::jsonb"
          "             ELSE '[]' END"
          "   FROM generate_series(0, " +
          blocks +
          " - 1) g"
          "   JOIN numbered l ON l.n = g % " +
          learners +
          "  CROSS JOIN LATERAL (SELECT (ARRAY['Ostrin', 'Palvek', 'Rundel', 'Mestra', 'Hollin',"
          "                                    'Zarbet', 'Quillon', 'Tesmar', 'Brandel', 'Kotoba'])"
          "                             [1 + (g / 7 + g % 3) % 10] AS program) p;"
          "ALTER TABLE blocks ADD PRIMARY KEY (uid);"
          "ALTER TABLE blocks ENABLE TRIGGER count_sent;"
          "CREATE INDEX blocks_by_learner ON blocks(learner, ended_at);");
  as_superuser(cluster, "VACUUM ANALYZE");
  std::printf("loaded %d classes, %s learners, %s blocks in %.0f s\n", kClasses, learners.c_str(),
              blocks.c_str(), ms_since(started) / 1000);
}

struct Timings {
  double report_ms;
  double command_ms;
};

Timings time_report(const std::string& page, int runs) {
  classdb::ClassServer teacher = classdb::ClassServer::connect("suzuki");
  // The loaded blocks' last week, from Monday 2026-07-06 00:00 in Japan.
  const classdb::ReportPeriod period{1'783'263'600, 9 * 3600, 50};
  (void)teacher.class_report("5-2", period);  // the server's caches warmed, as by an earlier run
  std::vector<double> report_ms, command_ms;
  for (int i = 0; i < runs; ++i) {
    auto t = Clock::now();
    const classdb::ClassReport report = teacher.class_report("5-2", period);
    report_ms.push_back(ms_since(t));
    if (report.learners.size() != kLearnersPerClass || report.programs.size() < kLearnersPerClass) {
      throw std::runtime_error("the report is not of the class loaded");
    }
    t = Clock::now();
    const testing::Ran ran = testing::run_command(
        {VELMORA_CLASS, "--service", "suzuki", "report", "5-2", "--html", page});
    command_ms.push_back(ms_since(t));
    if (ran.status != 0) {
      throw std::runtime_error(ran.err);
    }
  }
  return {bench::median(report_ms), bench::median(command_ms)};
}

// The teacher's live page through velmora-class serve: each update is a
// look at the class's state (every 2 s) and, when a block came, the report
// made anew and fetched.
void time_live_page(testing::PgCluster& cluster, int runs, const std::string& password) {
  {
    classdb::ClassServer admin = classdb::ClassServer::connect(testing::PgCluster::kAdminService);
    const classdb::NewLogin web = *admin.add_web_login("velmora_web");
    cluster.add_service("web", "velmora_web", web.pgpass_line + "\n");
  }
  const bench::ServiceProcess service(VELMORA_CLASS, "web");
  const bench::HttpAnswer in = bench::http_request(
      service.port(), "POST", "/sign-in", "Content-Type: application/x-www-form-urlencoded\r\n",
      "class=5-2&learner=suzuki&password=" + password);
  const std::string cookie =
      "Cookie: " +
      bench::header_of(in, "Set-Cookie").substr(0, bench::header_of(in, "Set-Cookie").find(';')) +
      "\r\n";
  std::vector<double> state_ms, report_ms;
  size_t bytes = 0;
  for (int i = 0; i < runs + 1; ++i) {
    auto t = Clock::now();
    const bench::HttpAnswer state =
        bench::http_request(service.port(), "GET", "/class/5-2/state", cookie);
    const double looked = ms_since(t);
    t = Clock::now();
    const bench::HttpAnswer page =
        bench::http_request(service.port(), "GET", "/class/5-2/report", cookie);
    const double made = ms_since(t);
    if (state.status != 200 || page.status != 200) {
      throw std::runtime_error("the live page was refused: " + page.head);
    }
    if (i > 0) {  // the first warms the server's caches
      state_ms.push_back(looked);
      report_ms.push_back(made);
    }
    bytes = page.body.size();
  }
  std::printf("the teacher's live page through velmora-class serve, %d runs, median:\n", runs);
  std::printf("  a look at the class's state (GET /class/5-2/state) %7.1f ms\n",
              bench::median(state_ms));
  std::printf("  the report made anew (GET /class/5-2/report)       %7.1f ms (%zu bytes)\n",
              bench::median(report_ms), bytes);
  std::printf("  velmora-class serve: %.1f MB resident\n", service.resident_mb());
}

void measure(int runs) {
  testing::PgCluster cluster;
  std::string teacher_password;  // to sign in at the live page with
  {
    classdb::ClassServer admin = classdb::ClassServer::connect(testing::PgCluster::kAdminService);
    admin.init();
    admin.add_class("5-2");
    for (int j = 1; j <= kLearnersPerClass; ++j) {
      (void)admin.add_learner("5-2", "learner" + std::to_string(j));
    }
    const classdb::NewLogin teacher = *admin.add_teacher("5-2", "suzuki").login;
    cluster.add_service(teacher.role, teacher.role, teacher.pgpass_line + "\n");
    teacher_password = teacher.password;
  }
  load_district(cluster);
  const std::string page = (cluster.folder() / "5-2.html").string();

  // A variant whose report takes seconds is run three times at most.
  struct Variant {
    const char* what;
    const char* drop;
    const char* create;
    bool slow = false;
  };
  const Variant variants[] = {
      {"every index", "", ""},
      {"version 1's learners policy",
       "ALTER POLICY self_or_taught ON learners USING (role = current_user OR class IN ("
       " SELECT c.name FROM classes c JOIN pg_roles r ON r.rolname = c.teachers_role"
       " WHERE pg_has_role(current_user, r.oid, 'MEMBER')))",
       "ALTER POLICY self_or_taught ON learners USING (role = current_user OR class = ANY (ARRAY("
       " SELECT c.name FROM classes c JOIN pg_roles r ON r.rolname = c.teachers_role"
       " WHERE pg_has_role(current_user, r.oid, 'MEMBER'))))"},
      {"without learners_by_class", "DROP INDEX learners_by_class",
       "CREATE INDEX learners_by_class ON learners(class, role)"},
      {"without blocks_by_learner", "DROP INDEX blocks_by_learner",
       "CREATE INDEX blocks_by_learner ON blocks(learner, ended_at)", true},
  };
  std::printf("the report of one class of %d as its teacher, the median of each:\n",
              kLearnersPerClass);
  for (const Variant& v : variants) {
    if (*v.drop != '\0') {
      as_superuser(cluster, v.drop);
    }
    const int these_runs = v.slow ? std::min(runs, 3) : runs;
    const Timings t = time_report(page, these_runs);
    std::printf("  %-28s %2d runs: class_report %9.1f ms, velmora-class report --html %9.1f ms\n",
                v.what, these_runs, t.report_ms, t.command_ms);
    if (*v.create != '\0') {
      as_superuser(cluster, std::string(v.create) + "; ANALYZE");
    }
  }
  std::printf("the page: %ju bytes\n",
              static_cast<std::uintmax_t>(std::filesystem::file_size(page)));
  time_live_page(cluster, runs, teacher_password);
}

}  // namespace

// Errors are thrown, so that the cluster's destructor stops its server and
// removes its folder.
int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as it is measured
  try {
    measure(argc > 1 ? std::max(1, std::atoi(argv[1])) : 9);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "class_report_bench: %s\n", e.what());
    return 1;
  }
}
