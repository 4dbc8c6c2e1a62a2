// The class server's cost to a lesson and to a room, against a PostgreSQL
// server of its own (initdb and pg_ctl's server from Debian's postgresql):
//  - what keeping a block costs the thread that shows the screens: the
//    history's transaction, then starting the sender (a lookup of the
//    service file; with the service, the lock and two forks), with and
//    without the service;
//  - the time from a block kept to the block on the server, the program that
//    kept it leaving at once: the detached sender's start, its connection
//    and its transaction, until the block is out of the outbox;
//  - forty computers sending a block at the same moment: each connects (as
//    every program run does) and sends, timed from the common start.
#include <barrier>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "bench/bench_support.h"
#include "classdb/classdb.h"
#include "classsync/send_start.h"
#include "classsync/service_file.h"
#include "history/history.h"
#include "tests/support/pg_cluster.h"

namespace {

using namespace tutor;
using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

history::BlockEntry a_block() {
  return {"2026-12-07T10:15:30+09:00", "Ostrin", 1,  95, 120, 3, "82.0", "pass",
          {{26, 30, 1, {{27, 1}}}},    "",       "", {}};
}

// The tree's launcher, beside which the sender is found: laid out as an
// installed tree, with bin/velmora-send.
std::filesystem::path launcher_of(const std::filesystem::path& history) {
  const std::filesystem::path tree = history.parent_path().parent_path().parent_path();
  if (!std::filesystem::exists(tree / "bin/velmora-send")) {
    std::ofstream(tree / "Velmora") << "";
    std::filesystem::create_directories(tree / "bin");
    std::filesystem::create_symlink(VELMORA_SEND, tree / "bin/velmora-send");
  }
  return tree / "Velmora";
}

// Keeping blocks as a lesson does, and the part of it that is the sending's.
void time_keeping(const std::filesystem::path& history, const char* service, const char* what) {
  std::vector<double> keep_ms, start_ms;
  history::HistoryWriter writer(history);
  const bool sends = classsync::service_defined(service);
  for (int i = 0; i < 200; ++i) {
    classsync::SendStarter sender(history, launcher_of(history), service);  // a program run's
    auto t = Clock::now();
    writer.keep(a_block());
    keep_ms.push_back(ms_since(t));
    t = Clock::now();
    sender.start();
    start_ms.push_back(ms_since(t));
    // The sender ends before the next block, as it does between two lessons.
    while (sends && !history::waiting_blocks(history, 1).empty()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  std::printf("%-28s history %6.2f ms (p99 %6.2f)   starting the sender %7.3f ms (p99 %7.3f)\n",
              what, percentile(keep_ms, 0.5), percentile(keep_ms, 0.99), percentile(start_ms, 0.5),
              percentile(start_ms, 0.99));
}

// A block kept, the sender started, and the program gone: the time until the
// block has left the outbox, which it does once the server has it.
void time_to_server(const std::filesystem::path& history, const char* service, int blocks) {
  std::vector<double> ms;
  history::HistoryWriter writer(history);
  for (int i = 0; i < blocks; ++i) {
    const auto t = Clock::now();
    writer.keep(a_block());
    classsync::SendStarter(history, launcher_of(history), service).start();
    while (!history::waiting_blocks(history, 1).empty()) {
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    ms.push_back(ms_since(t));
  }
  std::printf(
      "block kept -> on the server, the program leaving at once, %d blocks: "
      "p50 %.1f ms, p99 %.1f ms\n",
      blocks, percentile(ms, 0.5), percentile(ms, 0.99));
}

void time_a_room(int computers, int rounds) {
  std::vector<double> all;
  std::mutex mutex;
  for (int round = 0; round < rounds; ++round) {
    std::barrier start(computers);
    std::vector<std::thread> room;
    for (int c = 0; c < computers; ++c) {
      room.emplace_back([&, c] {
        classdb::OutgoingBlock b{0, {}, a_block()};
        char uid[33];
        std::snprintf(uid, sizeof uid, "%08x%08x%016x", round, c, 0x5eed);
        b.uid = uid;
        start.arrive_and_wait();
        const auto t = Clock::now();
        auto server = classdb::ClassServer::connect("room" + std::to_string(c), 5);
        server.send(std::span(&b, 1));
        const double ms = ms_since(t);
        std::lock_guard lock(mutex);
        all.push_back(ms);
      });
    }
    for (std::thread& t : room) {
      t.join();
    }
  }
  std::printf("%d computers sending a block at once, %zu sends: p50 %.1f ms, p99 %.1f ms\n",
              computers, all.size(), percentile(all, 0.5), percentile(all, 0.99));
}

}  // namespace

int main() {
  testing::PgCluster cluster;
  auto admin = classdb::ClassServer::connect(testing::PgCluster::kAdminService);
  admin.init();
  admin.add_class("bench");
  admin.blocks_a_day(1'000'000);  // a room's years sent in a minute
  for (int c = 0; c < 40; ++c) {
    const std::string learner = "room" + std::to_string(c);
    const classdb::NewLogin login = admin.add_learner("bench", learner);
    cluster.add_service(learner, login.role, login.pgpass_line + "\n");
  }
  bench::ScratchTree tree("class-send-bench");
  const std::filesystem::path history =
      std::filesystem::path(tree.folder()) / "M0/data/progress.sqlite3";
  time_keeping(history, "no-such-service", "without the service");
  time_keeping(history, "room0", "with the service");
  time_to_server(history, "room0", 100);
  time_a_room(40, 25);
}
