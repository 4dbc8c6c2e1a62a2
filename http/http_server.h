#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An HTTP(S) server: requests in, responses out, one handler for all. Only
// this room includes the HTTP library.
namespace tutor::http {

struct Request {
  std::string method;  // "GET", "POST", ...
  std::string path;    // decoded, without the query
  std::string body;
  std::string remote;  // the peer's address
  bool secure = false;
  std::map<std::string, std::string> params;  // the query's and a form's fields, first of each
  std::multimap<std::string, std::string> headers;

  // The first header of the name (any case), "" where there is none.
  [[nodiscard]] std::string header(std::string_view name) const;
  // The value of the cookie `name`, "" where there is none.
  [[nodiscard]] std::string cookie(std::string_view name) const;
  [[nodiscard]] std::string param(std::string_view name) const;
};

struct Response {
  int status = 200;
  std::string content_type = "text/plain; charset=utf-8";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;

  Response& with(std::string name, std::string value) {
    headers.emplace_back(std::move(name), std::move(value));
    return *this;
  }
};

using Handler = std::function<Response(const Request&)>;

// A certificate and its key, both PEM files: the server speaks HTTPS.
struct TlsFiles {
  std::string certificate;
  std::string key;
};

struct ServerSettings {
  std::optional<TlsFiles> tls;
  std::size_t largest_body = 1 << 20;  // a larger one is refused (413) unread
};

class Server {
 public:
  // Throws std::runtime_error where the certificate or key cannot be used.
  Server(const ServerSettings& settings, Handler handler);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds the address and port (0 for any free one); the port bound, or
  // nullopt where it cannot be bound.
  [[nodiscard]] std::optional<int> bind(const std::string& address, int port);
  // Serves until stop(), from any thread; false where it could not.
  bool serve();
  void stop();

  struct Library;  // the HTTP library's server, known only inside http/

 private:
  std::unique_ptr<Library> library_;
};

}  // namespace tutor::http
