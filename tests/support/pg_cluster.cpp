#include "tests/support/pg_cluster.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace tutor::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kPgBin = "/usr/lib/postgresql/15/bin";
constexpr std::string_view kSuperuser = "postgres";
constexpr std::string_view kSuperuserPassword = "superuser-secret";
constexpr std::string_view kAdminPassword = "admin-secret";
constexpr int kStartAttempts = 5;

struct RunAs {
  uid_t uid;
  gid_t gid;
};

// Forks and starts argv with its output on out_fd and err_fd, as another
// user when `as` is given; a child that `dies_with_us` is sent SIGQUIT (a
// server's immediate stop) when this process ends, however it ends.
pid_t spawn(const std::vector<std::string>& argv,
            int out_fd,
            int err_fd,
            const RunAs* as,
            bool dies_with_us) {
  std::vector<char*> args;
  for (const std::string& a : argv) {
    args.push_back(const_cast<char*>(a.c_str()));
  }
  args.push_back(nullptr);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid != 0) {
    return pid;
  }
  const int nothing = ::open("/dev/null", O_RDONLY);
  if (nothing < 0 || ::dup2(nothing, 0) < 0 || ::dup2(out_fd, 1) < 0 || ::dup2(err_fd, 2) < 0) {
    ::_exit(126);
  }
  if (as != nullptr &&
      (::setgroups(0, nullptr) != 0 || ::setgid(as->gid) != 0 || ::setuid(as->uid) != 0)) {
    ::_exit(126);
  }
  // After setuid, which clears it.
  if (dies_with_us && (::prctl(PR_SET_PDEATHSIG, SIGQUIT) != 0 || ::getppid() != parent)) {
    ::_exit(126);
  }
  ::execv(args[0], args.data());
  ::_exit(127);
}

int exit_status(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      return -1;
    }
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string contents(std::FILE* file) {
  std::rewind(file);
  std::string text;
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
    text.append(chunk, n);
  }
  return text;
}

Ran run_as(const std::vector<std::string>& argv, const RunAs* as) {
  const std::unique_ptr<std::FILE, decltype(&std::fclose)> out(std::tmpfile(), &std::fclose);
  const std::unique_ptr<std::FILE, decltype(&std::fclose)> err(std::tmpfile(), &std::fclose);
  if (!out || !err) {
    throw std::runtime_error("no temporary file for a command's output");
  }
  const pid_t pid = spawn(argv, ::fileno(out.get()), ::fileno(err.get()), as, false);
  if (pid < 0) {
    throw std::runtime_error("cannot start " + argv[0]);
  }
  Ran ran;
  ran.status = exit_status(pid);
  ran.out = contents(out.get());
  ran.err = contents(err.get());
  return ran;
}

// A port nothing listens on just now; the server may still lose it to
// another process, so starting is tried again on another.
int free_port() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  const bool bound = s >= 0 &&
                     ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                     ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0;
  if (s >= 0) {
    ::close(s);
  }
  if (!bound) {
    throw std::runtime_error("no free port on 127.0.0.1");
  }
  return ntohs(address.sin_port);
}

void write_file(const fs::path& file, std::string_view text, bool append = false) {
  std::ofstream(file, append ? std::ios::app : std::ios::trunc) << text;
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
}

std::string read_file(const fs::path& file) {
  std::ostringstream text;
  text << std::ifstream(file).rdbuf();
  return text.str();
}

// The server writes "ready" as the eighth line of its pid file once it
// takes connections.
bool says_ready(const fs::path& pid_file, pid_t server) {
  std::ifstream in(pid_file);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    if (n == 1 && line != std::to_string(server)) {
      return false;
    }
    if (n == 8) {
      return line.starts_with("ready");
    }
  }
  return false;
}

}  // namespace

Ran run_command(const std::vector<std::string>& argv) {
  return run_as(argv, nullptr);
}

PgCluster::PgCluster() {
  std::string name = (fs::temp_directory_path() / "velmora-pg-XXXXXX").string();
  if (::mkdtemp(name.data()) == nullptr) {
    throw std::runtime_error("cannot make a folder for the cluster");
  }
  folder_ = name;
  try {
    // initdb refuses root; the server then runs as the postgres user.
    if (::geteuid() == 0) {
      const passwd* user = ::getpwnam("postgres");
      user = user != nullptr ? user : ::getpwnam("nobody");
      if (user == nullptr || ::chown(folder_.c_str(), user->pw_uid, user->pw_gid) != 0) {
        throw std::runtime_error("no user to run the server as");
      }
      server_uid_ = user->pw_uid;
      server_gid_ = user->pw_gid;
      as_other_user_ = true;
    }
    for (const char* variable : {"PGSERVICE", "PGHOST", "PGHOSTADDR", "PGPORT", "PGDATABASE",
                                 "PGUSER", "PGPASSWORD", "PGPASSFILE", "PGOPTIONS"}) {
      ::unsetenv(variable);
    }
    ::setenv("PGSERVICEFILE", (folder_ / "services.conf").c_str(), 1);
    ::setenv("PGSYSCONFDIR", (folder_ / "no-system-services").c_str(), 1);
    write_file(folder_ / "services.conf", "");

    const fs::path password = folder_ / "superuser.password";
    write_file(password, kSuperuserPassword);
    if (as_other_user_ && ::chown(password.c_str(), server_uid_, server_gid_) != 0) {
      throw std::runtime_error("cannot hand the password file to the server's user");
    }
    const RunAs as{server_uid_, server_gid_};
    const Ran initdb =
        run_as({(kPgBin / "initdb").string(), "-D", (folder_ / "data").string(), "-U",
                std::string(kSuperuser), "-A", "scram-sha-256", "--pwfile=" + password.string(),
                "--no-sync", "--no-instructions", "-E", "UTF8", "--locale=C"},
               as_other_user_ ? &as : nullptr);
    if (initdb.status != 0) {
      throw std::runtime_error("initdb failed: " + initdb.err);
    }
    start_server();

    // The administrator and its database are made from the server's own database.
    add_service("setup", kSuperuser, pgpass_line(kSuperuser, kSuperuserPassword), "postgres");
    for (const std::string& sql :
         {"CREATE ROLE " + std::string(kAdmin) + " LOGIN CREATEROLE PASSWORD '" +
              std::string(kAdminPassword) + "'",
          "CREATE DATABASE " + std::string(kDatabase) + " OWNER " + std::string(kAdmin)}) {
      if (const Ran ran = psql("setup", sql); ran.status != 0) {
        throw std::runtime_error("cannot make the administrator: " + ran.err);
      }
    }
    add_service(kSuperuserService, kSuperuser, pgpass_line(kSuperuser, kSuperuserPassword));
    add_service(kAdminService, kAdmin, pgpass_line(kAdmin, kAdminPassword));
  } catch (...) {
    stop_server();
    std::error_code ec;
    fs::remove_all(folder_, ec);
    throw;
  }
}

PgCluster::~PgCluster() {
  stop_server();
  std::error_code ec;
  fs::remove_all(folder_, ec);
  ::unsetenv("PGSERVICEFILE");
  ::unsetenv("PGSYSCONFDIR");
}

void PgCluster::start_server() {
  const RunAs as{server_uid_, server_gid_};
  const fs::path log = folder_ / "server.log";
  // Started again, on the port its services name.
  const bool again = port_ != 0;
  for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
    port_ = again ? port_ : free_port();
    const int log_fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (log_fd < 0) {
      throw std::runtime_error("cannot write the server's log");
    }
    server_ =
        spawn({(kPgBin / "postgres").string(), "-D", (folder_ / "data").string(), "-p",
               std::to_string(port_), "-k", folder_.string(), "-c", "listen_addresses=127.0.0.1",
               "-c", "fsync=off", "-c", "full_page_writes=off", "-c", "max_connections=60"},
              log_fd, log_fd, as_other_user_ ? &as : nullptr, true);
    ::close(log_fd);
    while (server_ > 0) {
      if (says_ready(folder_ / "data" / "postmaster.pid", server_)) {
        return;
      }
      int status = 0;
      if (::waitpid(server_, &status, WNOHANG) == server_) {
        server_ = -1;  // it gave up, most likely the port taken meanwhile
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  throw std::runtime_error("the server did not start: " + read_file(log));
}

void PgCluster::stop() {
  stop_server();
}

void PgCluster::start() {
  if (server_ <= 0) {
    start_server();
  }
}

void PgCluster::stop_server() {
  if (server_ > 0) {
    ::kill(server_, SIGINT);  // a fast stop: sessions ended, nothing waited for
    (void)exit_status(server_);
    server_ = -1;
  }
}

std::string PgCluster::pgpass_line(std::string_view user, std::string_view password) const {
  return "127.0.0.1:" + std::to_string(port_) + ":*:" + std::string(user) + ":" +
         std::string(password) + "\n";
}

void PgCluster::add_service(std::string_view name,
                            std::string_view user,
                            std::string_view pgpass,
                            std::string_view database) {
  const fs::path passfile = folder_ / (std::string(name) + ".pgpass");
  write_file(passfile, pgpass);
  std::ostringstream service;
  service << "[" << name << "]\nhost=127.0.0.1\nport=" << port_ << "\ndbname=" << database
          << "\nuser=" << user << "\npassfile=" << passfile.string() << "\n";
  write_file(folder_ / "services.conf", service.str(), true);
}

namespace {

// The server and the processes it started (its sessions, its workers).
std::vector<pid_t> server_processes(pid_t server) {
  std::vector<pid_t> found{server};
  std::error_code ec;
  for (const fs::directory_entry& process : fs::directory_iterator("/proc", ec)) {
    std::ifstream stat(process.path() / "stat");
    std::string line;
    std::getline(stat, line);
    // pid (comm) state ppid ...: the name may hold blanks, so read after ')'.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) {
      continue;
    }
    std::istringstream after(line.substr(close + 1));
    char state = 0;
    pid_t parent = 0;
    if (after >> state >> parent && parent == server) {
      found.push_back(static_cast<pid_t>(std::stol(process.path().filename().string())));
    }
  }
  return found;
}

}  // namespace

void PgCluster::pause() {
  for (const pid_t p : server_processes(server_)) {
    ::kill(p, SIGSTOP);
  }
}

void PgCluster::resume() {
  for (const pid_t p : server_processes(server_)) {
    ::kill(p, SIGCONT);
  }
}

Ran PgCluster::psql(std::string_view service, std::string_view sql) const {
  return run_command({(kPgBin / "psql").string(), "-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1",
                      "service=" + std::string(service), "-c", std::string(sql)});
}

}  // namespace tutor::testing
