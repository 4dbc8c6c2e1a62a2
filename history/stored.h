#pragma once

// Inside history/ only: what the history's files share, the writer's, the
// readers' and the outbox's.

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <filesystem>
#include <functional>

#include "history/history.h"

namespace tutor::history::stored {

// Long enough for another program's transaction (a few milliseconds) to end,
// short enough that a lock held for good costs the learner nothing they notice:
// the result screen is already on show.
inline constexpr int kBusyTimeoutMs = 200;

// The file's schema version; throws for one newer than this program's.
int schema_version(SQLite::Database& db);
// Takes the file's schema to this program's, in the caller's transaction.
void bring_up_to_date(SQLite::Database& db);

// A history is a regular file of its own: a link, a FIFO, a device or a
// folder in its place is left alone (and never waited on). Throws.
void refuse_anything_but_a_file(const std::filesystem::path& file);

// One row of a prepared insert, its values bound in order.
template <typename... Values>
void insert(SQLite::Statement& statement, const Values&... values) {
  int column = 0;
  (statement.bind(++column, values), ...);
  statement.exec();
  statement.reset();
}

// Opens the history for reading and visits its blocks (none without a
// visitor), then `after` with the open database; a missing file is no
// history yet, anything else that goes wrong makes it unreadable.
HistoryRead read_with(const std::filesystem::path& file,
                      const std::function<void(const BlockRow&)>& visit,
                      const std::function<void(SQLite::Database&)>& after);

}  // namespace tutor::history::stored
