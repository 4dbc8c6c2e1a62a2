// Connecting to the class server and sending it blocks.

#include <algorithm>

#include "classdb/connection.h"
#include "classdb/schema.h"
#include "history/block_json.h"

namespace tutor::classdb {

using history::kana_json;
using history::keys_json;
using history::server_text;

std::string conninfo_value(std::string_view value) {
  std::string quoted = "'";
  for (const char c : value) {
    if (c == '\'' || c == '\\') {
      quoted += '\\';
    }
    quoted += c;
  }
  return quoted + "'";
}

std::string one_line(std::string_view message) {
  std::string line;
  while (!message.empty()) {
    const size_t end = std::min(message.find('\n'), message.size());
    std::string_view part = message.substr(0, end);
    message.remove_prefix(std::min(end + 1, message.size()));
    while (!part.empty() && (part.front() == ' ' || part.front() == '\t')) {
      part.remove_prefix(1);
    }
    while (!part.empty() && (part.back() == ' ' || part.back() == '\t' || part.back() == '\r')) {
      part.remove_suffix(1);
    }
    if (!part.empty()) {
      line += line.empty() ? "" : "; ";
      line += part;
    }
  }
  // The server's severities, which libpq puts before its words, say nothing here.
  for (const std::string_view severity : {"ERROR:  ", "FATAL:  ", "PANIC:  "}) {
    for (size_t at; (at = line.find(severity)) != std::string::npos;) {
      line.erase(at, severity.size());
    }
  }
  return line;
}

ClassServer::ClassServer(std::unique_ptr<Connection> connection)
    : connection_(std::move(connection)) {}
ClassServer::ClassServer(ClassServer&&) noexcept = default;
ClassServer& ClassServer::operator=(ClassServer&&) noexcept = default;
ClassServer::~ClassServer() = default;

ClassServer ClassServer::connect(std::string_view service, int connect_timeout_s) {
  // libpq waits for ever on 0; a class feature never should.
  const std::string options = "service=" + conninfo_value(service) +
                              " connect_timeout=" + std::to_string(std::max(connect_timeout_s, 1)) +
                              " fallback_application_name=velmora";
  return refused_as_server_error(
      "cannot reach the class server through the service \"" + std::string(service) + "\"",
      [&] { return ClassServer(std::make_unique<Connection>(options)); });
}

void ClassServer::send(std::span<const OutgoingBlock> blocks) {
  if (blocks.empty()) {
    return;
  }
  try {
    send_in_one_transaction(blocks);
  } catch (const ServerError&) {
    // libpq's words for a lost connection ("not connected", "Connection to
    // database failed") read as if the blocks were wrong.
    if (!connection_->is_open()) {
      throw ServerError("the class server went away while the blocks were sent");
    }
    throw;
  }
}

void ClassServer::send_in_one_transaction(std::span<const OutgoingBlock> blocks) {
  refused_as_server_error("the class server did not take the blocks", [&] {
    try {
      pqxx::work tx(*connection_);
      // With no conflict target: naming uid would take SELECT on it, which a
      // learner has not. The uid is the one unique column.
      const std::string insert = "INSERT INTO blocks(" + std::string(kSentColumns) +
                                 ") VALUES($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13)"
                                 " ON CONFLICT DO NOTHING";
      for (const OutgoingBlock& sent : blocks) {
        const history::BlockEntry& b = sent.block;
        tx.exec_params(insert, sent.uid, b.ended_at, server_text(b.program), b.step, b.seconds,
                       b.right, b.wrong, server_text(b.evaluation), server_text(b.result),
                       server_text(b.lesson), server_text(b.input), keys_json(b.keys),
                       kana_json(b.kana));
      }
      // A commit whose answer is lost throws too (pqxx's in_doubt_error): the
      // blocks are sent again later and skipped if they were kept after all.
      tx.commit();
    } catch (const pqxx::sql_error& e) {
      // Data exceptions (22) and broken constraints (23) are the block's own;
      // a refused login, a limit reached or a server gone are not.
      const std::string state = e.sqlstate();
      if (state.starts_with("22") || state.starts_with("23")) {
        throw BlockRefused("the class server refused a block: " + one_line(e.what()));
      }
      throw;
    }
  });
}

}  // namespace tutor::classdb
