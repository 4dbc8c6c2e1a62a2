// The class's web service under a class: 40 learners sign in within one
// minute (each at a moment of its own, as children arrive at their desks)
// and then all send a block at the same moment, through velmora-class serve
// on a PostgreSQL server of the bench's own. Prints p50 and p99 of each kind
// of request, what a sign-in spends on the password check alone, and the
// service's memory idle and with the 40 sessions.
//
//   class_web_bench [SECONDS]   the minute the sign-ins spread over (60)
#include <barrier>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "bench/class_web_support.h"
#include "classdb/classdb.h"
#include "tests/support/pg_cluster.h"

namespace {

using namespace tutor;
using Clock = std::chrono::steady_clock;

constexpr int kLearners = 40;

double ms_since(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

struct Learner {
  std::string name;
  std::string role;
  std::string password;
  std::string cookie;
  std::string csrf;
  double sign_in_ms = 0;
  double session_ms = 0;
  double block_ms = 0;
  std::string failure;  // what went wrong in its thread
};

std::string block_json(int n) {
  char uid[33];
  std::snprintf(uid, sizeof uid, "%032x", n + 1);
  return std::string("[{\"uid\":\"") + uid +
         "\",\"ended_at\":\"2026-12-08T10:00:00+09:00\",\"program\":\"Kotoba\",\"step\":1,"
         "\"seconds\":45,\"typed_right\":120,\"typed_wrong\":4,\"evaluation\":\"160\","
         "\"result\":\"pass\",\"lesson\":\"3\",\"input\":\"romaji\",\"keys\":[{\"key\":12,"
         "\"right\":30,\"wrong\":2,\"instead\":[{\"key\":13,\"count\":2}]}],\"kana\":"
         "[{\"kana\":\"か\",\"right\":3,\"wrong\":1}]}]";
}

void sign_in(int port, Learner& l) {
  auto t = Clock::now();
  const bench::HttpAnswer in = bench::http_request(
      port, "POST", "/sign-in", "Content-Type: application/x-www-form-urlencoded\r\n",
      "class=5-2&learner=" + l.name + "&password=" + l.password);
  l.sign_in_ms = ms_since(t);
  const std::string cookie = bench::header_of(in, "Set-Cookie");
  if (in.status != 303 || cookie.empty()) {
    throw std::runtime_error("a sign-in was refused: " + in.head);
  }
  l.cookie = cookie.substr(0, cookie.find(';'));
  t = Clock::now();
  const bench::HttpAnswer me =
      bench::http_request(port, "GET", "/api/session", "Cookie: " + l.cookie + "\r\n");
  l.session_ms = ms_since(t);
  const size_t at = me.body.find("\"csrf\":\"");
  if (me.status != 200 || at == std::string::npos) {
    throw std::runtime_error("no session after a sign-in: " + me.body);
  }
  l.csrf = me.body.substr(at + 8, 32);
}

void print(const char* what, const std::vector<Learner>& learners, double Learner::*figure) {
  std::vector<double> ms;
  for (const Learner& l : learners) {
    ms.push_back(l.*figure);
  }
  std::printf("  %-34s p50 %7.1f ms   p99 %7.1f ms\n", what, bench::percentile(ms, 0.5),
              bench::percentile(ms, 0.99));
}

void measure(int spread_s) {
  testing::PgCluster cluster;
  std::vector<Learner> learners(kLearners);
  {
    classdb::ClassServer admin = classdb::ClassServer::connect(testing::PgCluster::kAdminService);
    admin.init();
    admin.add_class("5-2");
    for (int i = 0; i < kLearners; ++i) {
      learners[i].name = "learner" + std::to_string(i + 1);
      const classdb::NewLogin login = admin.add_learner("5-2", learners[i].name);
      learners[i].role = login.role;
      learners[i].password = login.password;
    }
    const classdb::NewLogin web = *admin.add_web_login("velmora_web");
    cluster.add_service("web", "velmora_web", web.pgpass_line + "\n");
  }
  const bench::ServiceProcess service(VELMORA_CLASS, "web");
  std::printf("velmora-class serve: %.1f MB resident, idle\n", service.resident_mb());

  // What dominates a sign-in: the password check, a login of the learner's
  // own with SCRAM, timed alone.
  std::vector<double> check_ms;
  for (int i = 0; i < 10; ++i) {
    const auto t = Clock::now();
    (void)classdb::ClassServer::open_web_session("web", learners[i].role, learners[i].password);
    check_ms.push_back(ms_since(t));
  }

  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> moment(0, spread_s * 1000);
  std::barrier all_in(kLearners);
  std::vector<std::thread> desks;
  const auto start = Clock::now();
  for (int i = 0; i < kLearners; ++i) {
    const int at_ms = moment(random);
    desks.emplace_back([&, i, at_ms] {
      Learner& l = learners[i];
      std::this_thread::sleep_until(start + std::chrono::milliseconds(at_ms));
      try {
        sign_in(service.port(), l);
      } catch (const std::exception& e) {
        l.failure = e.what();
        all_in.arrive_and_drop();
        return;
      }
      all_in.arrive_and_wait();  // then every block at once
      const auto t = Clock::now();
      const bench::HttpAnswer sent =
          bench::http_request(service.port(), "POST", "/api/blocks",
                              "Cookie: " + l.cookie + "\r\nX-Velmora-Csrf: " + l.csrf +
                                  "\r\nContent-Type: application/json\r\n",
                              block_json(i));
      l.block_ms = ms_since(t);
      if (sent.status != 200 || sent.body != "{\"kept\":1}") {
        l.failure = "a block was not kept: " + sent.body;
      }
    });
  }
  for (std::thread& desk : desks) {
    desk.join();
  }
  for (const Learner& l : learners) {
    if (!l.failure.empty()) {
      throw std::runtime_error(l.name + ": " + l.failure);
    }
  }
  std::printf("%d learners signed in over %d s, then sent a block each at once:\n", kLearners,
              spread_s);
  print("sign-in (POST /sign-in)", learners, &Learner::sign_in_ms);
  print("first look (GET /api/session)", learners, &Learner::session_ms);
  print("block, all at once (POST /api/blocks)", learners, &Learner::block_ms);
  std::printf("  of a sign-in, the password check alone: median %.1f ms (10 logins)\n",
              bench::median(check_ms));
  std::printf("velmora-class serve: %.1f MB resident with %d sessions\n", service.resident_mb(),
              kLearners);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  try {
    measure(argc > 1 ? std::max(1, std::atoi(argv[1])) : 60);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "class_web_bench: %s\n", e.what());
    return 1;
  }
}
