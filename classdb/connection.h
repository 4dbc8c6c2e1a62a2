#pragma once

// Inside classdb/ only: the pqxx connection behind ClassServer.

#include <libpq-fe.h>

#include <pqxx/pqxx>
#include <string>
#include <string_view>

#include "classdb/classdb.h"

namespace tutor::classdb {

// pqxx's direct connection that also notes libpq's handle, for the one call
// pqxx 6.4 does not wrap: hashing a new password on this side, so that it
// never travels or lands in the server's log in the clear.
class NotedHandle final : public pqxx::connect_direct {
 public:
  explicit NotedHandle(const std::string& options) : connect_direct(options) {}
  handle do_startconnect(handle orig) override {
    return noted_ = connect_direct::do_startconnect(orig);
  }
  handle do_dropconnect(handle orig) noexcept override {
    return noted_ = connect_direct::do_dropconnect(orig);
  }
  handle do_disconnect(handle orig) noexcept override {
    return noted_ = connect_direct::do_disconnect(orig);
  }
  [[nodiscard]] PGconn* noted() const { return noted_; }

 private:
  handle noted_ = nullptr;
};

// Built as pqxx builds its own connection types: the options string before
// the policy that reads it, the base told of the policy before either exists.
struct ClassServer::Connection final : pqxx::connection_base {
  explicit Connection(const std::string& options)
      : connection_base(policy), options_(options), policy(options_) {
    init();
  }
  ~Connection() noexcept { close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

 private:
  std::string options_;

 public:
  NotedHandle policy;
};

// A value of a libpq connection string, quoted as libpq reads them.
[[nodiscard]] std::string conninfo_value(std::string_view value);

// The server's or libpq's words as one line: "ERROR:  " and the like
// dropped, the lines of a message (its detail, its hint) joined with "; ".
[[nodiscard]] std::string one_line(std::string_view message);

// Runs `work`, turning pqxx's and the server's refusals into ServerError
// with `what` before them ("cannot add the class: ...").
template <typename Work>
auto refused_as_server_error(std::string_view what, const Work& work) {
  try {
    return work();
  } catch (const pqxx::pqxx_exception& e) {
    throw ServerError(std::string(what) + ": " + one_line(e.base().what()));
  }
}

}  // namespace tutor::classdb
