// The outbox: the blocks kept here that the class server does not have yet.

#include <SQLiteCpp/Transaction.h>

#include "history/history.h"
#include "history/stored.h"

namespace tutor::history {

namespace fs = std::filesystem;
using namespace stored;

std::vector<WaitingBlock> waiting_blocks(const fs::path& file,
                                         std::size_t count,
                                         std::int64_t after_id) {
  std::vector<WaitingBlock> waiting;
  const HistoryRead r = read_with(file, nullptr, [&](SQLite::Database& db) {
    if (schema_version(db) < 4) {
      return;
    }
    SQLite::Statement blocks(db,
                             "SELECT id, uid, ended_at, program, step, seconds, typed_right, "
                             "typed_wrong, evaluation, result, lesson, input FROM blocks "
                             "WHERE id IN (SELECT block_id FROM outbox WHERE block_id > ? "
                             "ORDER BY block_id LIMIT ?) ORDER BY id");
    blocks.bind(1, after_id);
    blocks.bind(2, static_cast<std::int64_t>(count));
    SQLite::Statement tallies(db,
                              "SELECT key, typed_right, typed_wrong FROM key_tallies "
                              "WHERE block_id = ? ORDER BY key");
    SQLite::Statement misses(db,
                             "SELECT typed_instead, count FROM key_misses "
                             "WHERE block_id = ? AND key = ? ORDER BY typed_instead");
    SQLite::Statement kana(db,
                           "SELECT kana, typed_right, typed_wrong FROM kana_tallies "
                           "WHERE block_id = ? ORDER BY kana");
    while (blocks.executeStep()) {
      WaitingBlock w{blocks.getColumn(0).getInt64(), blocks.getColumn(1).getString(), {}};
      w.block = {blocks.getColumn(2).getString(),
                 blocks.getColumn(3).getString(),
                 blocks.getColumn(4).getInt(),
                 blocks.getColumn(5).getInt(),
                 blocks.getColumn(6).getInt(),
                 blocks.getColumn(7).getInt(),
                 blocks.getColumn(8).getString(),
                 blocks.getColumn(9).getString(),
                 {},
                 blocks.getColumn(10).getString(),
                 blocks.getColumn(11).getString(),
                 {}};
      tallies.bind(1, w.id);
      while (tallies.executeStep()) {
        KeyTally t{tallies.getColumn(0).getInt(),
                   tallies.getColumn(1).getInt(),
                   tallies.getColumn(2).getInt(),
                   {}};
        misses.bind(1, w.id);
        misses.bind(2, t.key);
        while (misses.executeStep()) {
          t.instead.push_back({misses.getColumn(0).getInt(), misses.getColumn(1).getInt()});
        }
        misses.reset();
        w.block.keys.push_back(std::move(t));
      }
      tallies.reset();
      kana.bind(1, w.id);
      while (kana.executeStep()) {
        w.block.kana.push_back({kana.getColumn(0).getString(), kana.getColumn(1).getInt(),
                                kana.getColumn(2).getInt()});
      }
      kana.reset();
      waiting.push_back(std::move(w));
    }
  });
  if (r.status != HistoryRead::Status::Read) {
    waiting.clear();
  }
  return waiting;
}

bool take_out_of_outbox(const fs::path& file, std::span<const std::int64_t> ids) {
  try {
    refuse_anything_but_a_file(file);
    SQLite::Database db(file, SQLite::OPEN_READWRITE | SQLite::OPEN_NOFOLLOW, kBusyTimeoutMs);
    SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
    SQLite::Statement take(db, "DELETE FROM outbox WHERE block_id = ?");
    for (const std::int64_t id : ids) {
      insert(take, id);
    }
    transaction.commit();
    return true;
  } catch (const std::exception&) {
    return false;  // sent again next time: the server keeps each block once
  }
}

bool set_aside(const fs::path& file, std::int64_t id, std::string_view reason) {
  try {
    refuse_anything_but_a_file(file);
    SQLite::Database db(file, SQLite::OPEN_READWRITE | SQLite::OPEN_NOFOLLOW, kBusyTimeoutMs);
    SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
    bring_up_to_date(db);
    SQLite::Statement take(db, "DELETE FROM outbox WHERE block_id = ?");
    insert(take, id);
    SQLite::Statement keep(db, "INSERT OR REPLACE INTO set_aside VALUES(?, ?)");
    insert(keep, id, std::string(reason));
    transaction.commit();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::vector<std::pair<std::int64_t, std::string>> set_aside_blocks(const fs::path& file) {
  std::vector<std::pair<std::int64_t, std::string>> aside;
  read_with(file, nullptr, [&](SQLite::Database& db) {
    if (schema_version(db) < 5) {
      return;
    }
    SQLite::Statement rows(db, "SELECT block_id, reason FROM set_aside ORDER BY block_id");
    while (rows.executeStep()) {
      aside.emplace_back(rows.getColumn(0).getInt64(), rows.getColumn(1).getString());
    }
  });
  return aside;
}

}  // namespace tutor::history
