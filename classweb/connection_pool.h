#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "classdb/classdb.h"

// The web service's connections to the class server, as its own login
// (through the libpq service), kept open between requests.
namespace tutor::classweb {

class ConnectionPool {
 public:
  explicit ConnectionPool(std::string service) : service_(std::move(service)) {}

  [[nodiscard]] const std::string& service() const { return service_; }

  // Runs `work` with a connection as the web login; a connection whose work
  // failed is closed rather than kept, whatever role it was left acting as.
  template <typename Work>
  auto with(const Work& work) {
    classdb::ClassServer server = take();
    if constexpr (std::is_void_v<decltype(work(server))>) {
      work(server);
      give_back(std::move(server));
    } else {
      auto result = work(server);
      give_back(std::move(server));
      return result;
    }
  }

  // Runs `work` acting as `role`, signed in.
  template <typename Work>
  auto as(const std::string& role, const Work& work) {
    return with([&](classdb::ClassServer& server) {
      server.act_as(role);
      if constexpr (std::is_void_v<decltype(work(server))>) {
        work(server);
        server.act_as_self();
      } else {
        auto result = work(server);
        server.act_as_self();
        return result;
      }
    });
  }

 private:
  classdb::ClassServer take();
  void give_back(classdb::ClassServer server);

  std::string service_;
  std::mutex mutex_;
  std::vector<classdb::ClassServer> idle_;
};

}  // namespace tutor::classweb
