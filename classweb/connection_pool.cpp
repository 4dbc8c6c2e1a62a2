#include "classweb/connection_pool.h"

namespace tutor::classweb {
namespace {

// A class server that does not answer fails the request in this long.
constexpr int kConnectTimeoutS = 4;
// More stay open only while requests need them.
constexpr std::size_t kMostIdle = 8;

}  // namespace

classdb::ClassServer ConnectionPool::take() {
  {
    const std::lock_guard lock(mutex_);
    if (!idle_.empty()) {
      classdb::ClassServer server = std::move(idle_.back());
      idle_.pop_back();
      return server;
    }
  }
  return classdb::ClassServer::connect(service_, kConnectTimeoutS);
}

void ConnectionPool::give_back(classdb::ClassServer server) {
  const std::lock_guard lock(mutex_);
  if (idle_.size() < kMostIdle) {
    idle_.push_back(std::move(server));
  }
}

}  // namespace tutor::classweb
