#include "http/http_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace tutor::http {
namespace {

constexpr int kBacklog = 256;

bool same_name(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

Request ours(const httplib::Request& theirs, bool secure) {
  Request request;
  request.method = theirs.method;
  request.path = theirs.path;
  request.body = theirs.body;
  request.remote = theirs.remote_addr;
  request.secure = secure;
  for (const auto& [name, value] : theirs.params) {
    request.params.emplace(name, value);  // the first of a name stays
  }
  for (const auto& [name, value] : theirs.headers) {
    request.headers.emplace(name, value);
  }
  if (theirs.get_header_value("Content-Type").starts_with("application/x-www-form-urlencoded")) {
    httplib::Params form;
    httplib::detail::parse_query_text(theirs.body, form);
    for (const auto& [name, value] : form) {
      request.params.emplace(name, value);
    }
  }
  return request;
}

}  // namespace

struct Server::Library {
  std::unique_ptr<httplib::Server> server;
  bool secure = false;
  int listening = -1;  // the socket bound, noted as the library makes it
};

std::string Request::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (same_name(key, name)) {
      return value;
    }
  }
  return "";
}

std::string Request::cookie(std::string_view name) const {
  const std::string all = header("Cookie");
  std::string_view rest = all;
  while (!rest.empty()) {
    const size_t end = std::min(rest.find(';'), rest.size());
    std::string_view pair = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    while (!pair.empty() && pair.front() == ' ') {
      pair.remove_prefix(1);
    }
    const size_t equals = pair.find('=');
    if (equals != std::string_view::npos && pair.substr(0, equals) == name) {
      return std::string(pair.substr(equals + 1));
    }
  }
  return "";
}

std::string Request::param(std::string_view name) const {
  const auto found = params.find(std::string(name));
  return found == params.end() ? "" : found->second;
}

Server::Server(const ServerSettings& settings, Handler handler)
    : library_(std::make_unique<Library>()) {
  if (settings.tls) {
    auto secure = std::make_unique<httplib::SSLServer>(settings.tls->certificate.c_str(),
                                                       settings.tls->key.c_str());
    if (!secure->is_valid()) {
      throw std::runtime_error("cannot use the certificate " + settings.tls->certificate +
                               " with the key " + settings.tls->key);
    }
    library_->server = std::move(secure);
    library_->secure = true;
  } else {
    library_->server = std::make_unique<httplib::Server>();
  }
  httplib::Server& server = *library_->server;
  server.set_payload_max_length(settings.largest_body);
  // Only the address again after a restart, not a second server on the
  // port (the library's own choice, SO_REUSEPORT, would let one in).
  server.set_socket_options([library = library_.get()](int socket) {
    const int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    library->listening = socket;
  });
  const bool secure = library_->secure;
  const auto answer = [handler = std::move(handler), secure](const httplib::Request& theirs,
                                                             httplib::Response& reply) {
    Response response;
    try {
      response = handler(ours(theirs, secure));
    } catch (const std::exception& e) {
      response =
          Response{500, "text/plain; charset=utf-8", std::string("server error: ") + e.what(), {}};
    }
    reply.status = response.status;
    for (const auto& [name, value] : response.headers) {
      reply.headers.emplace(name, value);
    }
    reply.set_content(response.body, response.content_type.c_str());
  };
  const std::string any = ".*";
  server.Get(any, answer);
  server.Post(any, answer);
  server.Put(any, answer);
  server.Delete(any, answer);
  server.Patch(any, answer);
  server.Options(any, answer);
  // The library's own refusals (a body too large, a malformed request) get words.
  server.set_error_handler([](const httplib::Request&, httplib::Response& reply) {
    if (reply.body.empty()) {
      reply.set_content(
          reply.status == 413 ? "the request is too large\n" : "the request cannot be served\n",
          "text/plain; charset=utf-8");
    }
  });
}

Server::~Server() = default;

std::optional<int> Server::bind(const std::string& address, int port) {
  httplib::Server& server = *library_->server;
  const int bound = port == 0 ? server.bind_to_any_port(address.c_str())
                    : server.bind_to_port(address.c_str(), port) ? port
                                                                 : -1;
  if (bound <= 0) {
    return std::nullopt;
  }
  // The library listens with a backlog of 5: a class's 40 computers
  // connecting at once would wait a second for the retry of each connection
  // turned away.
  ::listen(library_->listening, kBacklog);
  return bound;
}

bool Server::serve() {
  return library_->server->listen_after_bind();
}

void Server::stop() {
  library_->server->stop();
}

}  // namespace tutor::http
