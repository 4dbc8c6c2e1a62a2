#pragma once

// What the benches of the class's web service share: velmora-class serve as
// a process of the bench's own, and a plain HTTP/1.1 client (one request a
// connection) to time it with, as a browser's request would reach it.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace tutor::bench {

struct HttpAnswer {
  int status = 0;
  std::string head;  // the status line and headers
  std::string body;
};

// One request to 127.0.0.1:port; `extra` are header lines, each ending "\r\n".
inline HttpAnswer http_request(int port,
                               const std::string& method,
                               const std::string& path,
                               const std::string& extra = "",
                               const std::string& body = "") {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    if (fd >= 0) {
      ::close(fd);
    }
    throw std::runtime_error("cannot connect to the service");
  }
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  const std::string request = method + " " + path +
                              " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                              "\r\nConnection: close\r\n" + extra +
                              "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  for (size_t sent = 0; sent < request.size();) {
    const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) {
      ::close(fd);
      throw std::runtime_error("the service closed the connection");
    }
    sent += static_cast<size_t>(n);
  }
  std::string answer;
  char buffer[16384];
  for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
    answer.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  const size_t end = answer.find("\r\n\r\n");
  if (answer.size() < 12 || end == std::string::npos) {
    throw std::runtime_error("no answer from the service");
  }
  return {std::stoi(answer.substr(9, 3)), answer.substr(0, end), answer.substr(end + 4)};
}

// The value of a header of the answer ("Set-Cookie"), "" where there is none.
inline std::string header_of(const HttpAnswer& answer, const std::string& name) {
  std::string lower_head = answer.head;
  std::string lower_name = "\r\n" + name + ": ";
  std::transform(lower_head.begin(), lower_head.end(), lower_head.begin(), ::tolower);
  std::transform(lower_name.begin(), lower_name.end(), lower_name.begin(), ::tolower);
  const size_t at = lower_head.find(lower_name);
  if (at == std::string::npos) {
    return "";
  }
  const size_t start = at + lower_name.size();
  return answer.head.substr(start, answer.head.find("\r\n", start) - start);
}

// velmora-class serve on a free loopback port, through the libpq service
// `service`, serving a web edition of one empty page; stopped when it goes.
class ServiceProcess {
 public:
  ServiceProcess(const std::string& program, const std::string& service)
      : web_((std::filesystem::temp_directory_path() / "velmora-bench-web-XXXXXX").string()) {
    if (::mkdtemp(web_.data()) == nullptr) {
      throw std::runtime_error("cannot make a folder for the web edition");
    }
    std::ofstream(web_ + "/index.html")
        << "<!DOCTYPE html><html><head></head><body></body></html>\n";
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
      throw std::runtime_error("cannot make a pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<std::string> args = {program,    "--service",   service, "serve",
                                     "--listen", "127.0.0.1:0", "--web", web_};
    std::vector<char*> argv;
    for (std::string& a : args) {
      argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const int spawned =
        posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string line;
    char c = 0;
    while (spawned == 0 && ::read(out[0], &c, 1) == 1 && c != '\n') {
      line += c;
    }
    ::close(out[0]);
    const size_t colon = line.rfind(':');
    if (spawned != 0 || colon == std::string::npos) {
      throw std::runtime_error("velmora-class serve did not start: " + line);
    }
    port_ = std::stoi(line.substr(colon + 1));
  }
  ~ServiceProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    std::filesystem::remove_all(web_);
  }
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  [[nodiscard]] int port() const { return port_; }
  // Its resident memory now, in MB.
  [[nodiscard]] double resident_mb() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (line.starts_with("VmRSS:")) {
        return std::stod(line.substr(6)) / 1024.0;
      }
    }
    return 0;
  }

 private:
  std::string web_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// The value below which `share` (0.5, 0.99) of the values lie.
inline double percentile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  const auto at = static_cast<size_t>(std::ceil(share * static_cast<double>(values.size()))) - 1;
  return values[std::min(at, values.size() - 1)];
}

}  // namespace tutor::bench
