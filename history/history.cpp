#include "history/history.h"

#include "history/stored.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace tutor::history {

namespace fs = std::filesystem;
using namespace stored;

namespace {

// Each step moves the schema one version forward; a new file takes them all.
// Version 1 kept blocks and their keys; version 2 added the marks; version 3
// the word course's lesson, input and keystrokes per kana; version 4 gave
// every block a random 128-bit id and an outbox of the blocks a class server
// does not have yet (all of them, to begin with); version 5 a place for the
// blocks the class server refused for what they hold, kept here, not sent.
constexpr std::array<std::string_view, 5> kSchemaSteps = {
    R"(CREATE TABLE blocks(
         id INTEGER PRIMARY KEY,
         ended_at TEXT NOT NULL,
         program TEXT NOT NULL,
         step INTEGER NOT NULL,
         seconds INTEGER NOT NULL,
         typed_right INTEGER NOT NULL,
         typed_wrong INTEGER NOT NULL,
         evaluation TEXT NOT NULL,
         result TEXT NOT NULL);
       CREATE TABLE key_tallies(
         block_id INTEGER NOT NULL REFERENCES blocks(id),
         key INTEGER NOT NULL,
         typed_right INTEGER NOT NULL,
         typed_wrong INTEGER NOT NULL,
         PRIMARY KEY(block_id, key)) WITHOUT ROWID;
       CREATE TABLE key_misses(
         block_id INTEGER NOT NULL REFERENCES blocks(id),
         key INTEGER NOT NULL,
         typed_instead INTEGER NOT NULL,
         count INTEGER NOT NULL,
         PRIMARY KEY(block_id, key, typed_instead)) WITHOUT ROWID;)",
    R"(CREATE TABLE marks(
         id INTEGER PRIMARY KEY,
         at TEXT NOT NULL,
         what TEXT NOT NULL);)",
    R"(ALTER TABLE blocks ADD COLUMN lesson TEXT NOT NULL DEFAULT '';
       ALTER TABLE blocks ADD COLUMN input TEXT NOT NULL DEFAULT '';
       CREATE TABLE kana_tallies(
         block_id INTEGER NOT NULL REFERENCES blocks(id),
         kana TEXT NOT NULL,
         typed_right INTEGER NOT NULL,
         typed_wrong INTEGER NOT NULL,
         PRIMARY KEY(block_id, kana)) WITHOUT ROWID;)",
    R"(ALTER TABLE blocks ADD COLUMN uid TEXT;
       UPDATE blocks SET uid = lower(hex(randomblob(16)));
       CREATE UNIQUE INDEX blocks_by_uid ON blocks(uid);
       CREATE TABLE outbox(block_id INTEGER PRIMARY KEY REFERENCES blocks(id));
       INSERT INTO outbox SELECT id FROM blocks ORDER BY id;)",
    R"(CREATE TABLE set_aside(
         block_id INTEGER PRIMARY KEY REFERENCES blocks(id),
         reason TEXT NOT NULL);)",
};
constexpr int kSchemaVersion = static_cast<int>(kSchemaSteps.size());

// Seconds east of UTC from which on a time's offset is not kept.
constexpr long kFirstOffsetRefused = 16 * 3600;

}  // namespace

namespace stored {

int schema_version(SQLite::Database& db) {
  const int version = db.execAndGet("PRAGMA user_version").getInt();
  if (version > kSchemaVersion) {
    throw std::runtime_error("it was written by a newer version of the tutor (schema " +
                             std::to_string(version) + ")");
  }
  return version;
}

void bring_up_to_date(SQLite::Database& db) {
  const int version = schema_version(db);
  for (int v = version; v < kSchemaVersion; ++v) {
    db.exec(std::string(kSchemaSteps[static_cast<size_t>(v)]));
  }
  if (version != kSchemaVersion) {
    db.exec("PRAGMA user_version = " + std::to_string(kSchemaVersion));
  }
}

// A history is a regular file of its own: a link, a FIFO, a device or a
// folder in its place is left alone (and never waited on).
void refuse_anything_but_a_file(const fs::path& file) {
  std::error_code ec;
  const fs::file_type kind = fs::symlink_status(file, ec).type();
  if (kind != fs::file_type::regular && kind != fs::file_type::not_found) {
    throw std::runtime_error("it is not a regular file");
  }
}

}  // namespace stored

namespace {

// A file that fails SQLite's quick check is damaged: adding to it could make
// the rest unreadable, so it is left as it is for the learner to rescue.
void refuse_a_damaged_file(SQLite::Database& db) {
  SQLite::Statement check(db, "PRAGMA quick_check(1)");
  if (check.executeStep() && check.getColumn(0).getString() != "ok") {
    throw std::runtime_error("it is damaged (" + check.getColumn(0).getString() + ")");
  }
}

void insert_block(SQLite::Database& db, const BlockEntry& b) {
  // SQLite's randomness comes from the system's: 128 bits no two blocks share.
  SQLite::Statement block(db,
                          "INSERT INTO blocks(ended_at, program, step, seconds, typed_right, "
                          "typed_wrong, evaluation, result, lesson, input, uid) "
                          "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, lower(hex(randomblob(16))))");
  insert(block, b.ended_at, b.program, b.step, b.seconds, b.right, b.wrong, b.evaluation, b.result,
         b.lesson, b.input);
  const std::int64_t id = db.getLastInsertRowid();
  SQLite::Statement outbox(db, "INSERT INTO outbox VALUES(?)");
  insert(outbox, id);
  SQLite::Statement kana(db, "INSERT INTO kana_tallies VALUES(?, ?, ?, ?)");
  for (const KanaTally& k : b.kana) {
    insert(kana, id, k.kana, k.right, k.wrong);
  }
  SQLite::Statement tally(db, "INSERT INTO key_tallies VALUES(?, ?, ?, ?)");
  SQLite::Statement miss(db, "INSERT INTO key_misses VALUES(?, ?, ?, ?)");
  for (const KeyTally& k : b.keys) {
    insert(tally, id, k.key, k.right, k.wrong);
    for (const Miss& m : k.instead) {
      insert(miss, id, k.key, m.typed_instead, m.count);
    }
  }
}

}  // namespace

std::filesystem::path file_of(const Console& con) {
  return con.file_path(kHistoryFile);
}

template <typename Write>
bool HistoryWriter::write(std::string_view what, const Write& add) {
  try {
    refuse_anything_but_a_file(file_);
    SQLite::Database db(file_, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE | SQLite::OPEN_NOFOLLOW,
                        kBusyTimeoutMs);
    // Both are SQLite's defaults; said here because the history's safety rests
    // on them: a rollback journal, and every commit on the disk before it returns.
    db.exec("PRAGMA journal_mode = DELETE");
    db.exec("PRAGMA synchronous = FULL");
    SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
    if (!checked_) {
      refuse_a_damaged_file(db);  // once a program run: it reads every page
      checked_ = true;
    }
    bring_up_to_date(db);
    add(db);
    transaction.commit();
    return true;
  } catch (const std::exception& e) {
    if (!std::exchange(failure_told_, true)) {
      std::fprintf(stderr, "progress history %s: the %s was not kept: %s\n", file_.c_str(),
                   std::string(what).c_str(), e.what());
    }
    return false;
  }
}

bool HistoryWriter::keep(const BlockEntry& block) {
  return write("block", [&](SQLite::Database& db) { insert_block(db, block); });
}

bool HistoryWriter::keep(const Mark& mark) {
  return write("mark", [&](SQLite::Database& db) {
    SQLite::Statement insert(db, "INSERT INTO marks(at, what) VALUES(?, ?)");
    insert.bind(1, mark.at);
    insert.bind(2, mark.what);
    insert.exec();
  });
}

namespace {

std::string_view text_of(const SQLite::Column& c) {
  return {c.getText(), static_cast<size_t>(c.getBytes())};
}

// A commit cut short (the power gone, the program killed) leaves its journal
// beside the file, and SQLite rolls it back at the next read, which takes
// writing: so the history is opened for writing where it can be, and only
// read where it cannot; nothing but that rollback is ever written.
SQLite::Database open_for_reading(const fs::path& file) {
  try {
    return SQLite::Database(file, SQLite::OPEN_READWRITE | SQLite::OPEN_NOFOLLOW, kBusyTimeoutMs);
  } catch (const SQLite::Exception&) {
    return SQLite::Database(file, SQLite::OPEN_READONLY | SQLite::OPEN_NOFOLLOW, kBusyTimeoutMs);
  }
}

}  // namespace

HistoryRead stored::read_with(const fs::path& file,
                              const std::function<void(const BlockRow&)>& visit,
                              const std::function<void(SQLite::Database&)>& after) {
  HistoryRead r;
  std::error_code ec;
  if (fs::symlink_status(file, ec).type() == fs::file_type::not_found) {
    return r;  // Missing: nothing kept yet
  }
  try {
    refuse_anything_but_a_file(file);
    SQLite::Database db = open_for_reading(file);
    // Pages read straight from the file's mapping, not copied into a cache
    // of the program's own: years of blocks open in a few milliseconds.
    db.exec("PRAGMA mmap_size = 268435456");
    const int version = schema_version(db);
    r.status = HistoryRead::Status::Read;
    if (version == 0) {
      return r;  // created, never written
    }
    SQLite::Statement blocks(db, version >= 3
                                     ? "SELECT id, ended_at, program, step, seconds, typed_right, "
                                       "typed_wrong, evaluation, result, lesson, input FROM blocks "
                                       "ORDER BY id"
                                     : "SELECT id, ended_at, program, step, seconds, typed_right, "
                                       "typed_wrong, evaluation, result, '', '' FROM blocks "
                                       "ORDER BY id");
    while (visit && blocks.executeStep()) {
      visit({blocks.getColumn(0).getInt64(), text_of(blocks.getColumn(1)),
             text_of(blocks.getColumn(2)), blocks.getColumn(3).getInt(),
             blocks.getColumn(4).getInt(), blocks.getColumn(5).getInt(),
             blocks.getColumn(6).getInt(), text_of(blocks.getColumn(7)),
             text_of(blocks.getColumn(8)), text_of(blocks.getColumn(9)),
             text_of(blocks.getColumn(10))});
    }
    if (version >= 2) {
      SQLite::Statement marks(db, "SELECT at, what FROM marks ORDER BY id");
      while (marks.executeStep()) {
        r.history.marks.push_back({marks.getColumn(0).getString(), marks.getColumn(1).getString()});
      }
    }
    after(db);
  } catch (const std::exception& e) {
    r = {HistoryRead::Status::Unreadable, {}, e.what()};
  }
  return r;
}

std::map<std::string, std::pair<long long, long long>> recent_kana(const fs::path& file,
                                                                   std::string_view program,
                                                                   int blocks) {
  std::map<std::string, std::pair<long long, long long>> kana;
  read_with(file, nullptr, [&](SQLite::Database& db) {  // no block visited
    if (schema_version(db) < 3) {
      return;
    }
    SQLite::Statement sums(db,
                           "SELECT kana, SUM(typed_right), SUM(typed_wrong) FROM kana_tallies "
                           "WHERE block_id IN (SELECT id FROM blocks WHERE program = ? "
                           "ORDER BY id DESC LIMIT ?) GROUP BY kana");
    sums.bind(1, std::string(program));
    sums.bind(2, blocks);
    while (sums.executeStep()) {
      kana[sums.getColumn(0).getString()] = {sums.getColumn(1).getInt64(),
                                             sums.getColumn(2).getInt64()};
    }
  });
  return kana;
}

HistoryRead scan_history(const fs::path& file, const std::function<void(const BlockRow&)>& visit) {
  return read_with(file, visit, [](SQLite::Database&) {});
}

HistoryRead read_history(const fs::path& file, std::size_t tallied_blocks) {
  std::vector<BlockEntry> blocks;
  std::vector<std::int64_t> ids;
  auto keep = [&](const BlockRow& b) {
    ids.push_back(b.id);
    blocks.push_back({std::string(b.ended_at),
                      std::string(b.program),
                      b.step,
                      b.seconds,
                      b.right,
                      b.wrong,
                      std::string(b.evaluation),
                      std::string(b.result),
                      {},
                      std::string(b.lesson),
                      std::string(b.input),
                      {}});
  };
  auto read_tallies = [&](SQLite::Database& db) {
    const size_t first = ids.size() - std::min(ids.size(), tallied_blocks);
    if (first == ids.size()) {
      return;
    }
    // The block a row belongs to, found among the tallied ones by its id.
    auto block_of = [&](std::int64_t id) -> BlockEntry& {
      const auto at =
          std::lower_bound(ids.begin() + static_cast<std::ptrdiff_t>(first), ids.end(), id);
      if (at == ids.end() || *at != id) {
        throw std::runtime_error("a key tally names no block");
      }
      return blocks[static_cast<size_t>(at - ids.begin())];
    };
    SQLite::Statement tallies(db,
                              "SELECT block_id, key, typed_right, typed_wrong FROM key_tallies "
                              "WHERE block_id >= ? ORDER BY block_id, key");
    tallies.bind(1, ids[first]);
    while (tallies.executeStep()) {
      block_of(tallies.getColumn(0).getInt64())
          .keys.push_back({tallies.getColumn(1).getInt(),
                           tallies.getColumn(2).getInt(),
                           tallies.getColumn(3).getInt(),
                           {}});
    }
    SQLite::Statement misses(db,
                             "SELECT block_id, key, typed_instead, count FROM key_misses "
                             "WHERE block_id >= ? ORDER BY block_id, key, typed_instead");
    misses.bind(1, ids[first]);
    while (misses.executeStep()) {
      BlockEntry& b = block_of(misses.getColumn(0).getInt64());
      const int key = misses.getColumn(1).getInt();
      const auto tally = std::find_if(b.keys.begin(), b.keys.end(),
                                      [&](const KeyTally& t) { return t.key == key; });
      if (tally == b.keys.end()) {
        throw std::runtime_error("a miss names no key tally");
      }
      tally->instead.push_back({misses.getColumn(2).getInt(), misses.getColumn(3).getInt()});
    }
  };
  HistoryRead r = read_with(file, keep, read_tallies);
  if (r.status == HistoryRead::Status::Read) {
    r.history.blocks = std::move(blocks);
  }
  return r;
}

std::string local_time(std::time_t t) {
  std::tm tm{};
  ::localtime_r(&t, &tm);
  // An offset of 16 hours or more (a zone set by hand) is no time the class
  // server takes, and one of odd seconds (an old zone's mean time) %z would
  // cut: the same moment in UTC instead.
  if (tm.tm_gmtoff <= -kFirstOffsetRefused || tm.tm_gmtoff >= kFirstOffsetRefused ||
      tm.tm_gmtoff % 60 != 0) {
    ::gmtime_r(&t, &tm);
  }
  char text[40];
  const size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &tm);
  // +0900 -> +09:00 (built whole: GCC 12 takes an insert here for an overlap)
  const std::string_view s(text, n);
  return std::string(s.substr(0, n - 2)) + ":" + std::string(s.substr(n - 2));
}

std::string local_time_now() {
  return local_time(std::time(nullptr));
}

}  // namespace tutor::history
