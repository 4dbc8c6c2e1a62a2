#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tutor::testing {

// What a program printed and how it ended.
struct Ran {
  int status = -1;  // its exit status; -1 when it did not exit
  std::string out;
  std::string err;
};

// Runs a program (argv[0] its path) with this process's environment and
// waits for it.
[[nodiscard]] Ran run_command(const std::vector<std::string>& argv);

// A PostgreSQL server of the test's own: a new cluster in a temporary folder,
// made and run as the postgres OS user when the test runs as root, listening
// on a free port of 127.0.0.1 with its socket in that folder, every login by
// scram-sha-256. It holds the database kDatabase, owned by kAdmin, a login
// role with CREATEROLE: the class server's administrator.
//
// Connections go through services written to a service file in the folder,
// which PGSERVICEFILE names while the cluster lives (PGSYSCONFDIR names a
// folder without one, and PGPASSWORD and the like are unset); each service
// has a password file of its own. The services kAdminService and
// kSuperuserService are there from the start. The destructor stops the
// server and deletes the folder; a test process that dies takes the server
// with it.
class PgCluster {
 public:
  static constexpr std::string_view kDatabase = "velmora";
  static constexpr std::string_view kAdmin = "velmora_admin";
  static constexpr std::string_view kAdminService = "velmora";
  static constexpr std::string_view kSuperuserService = "superuser";

  PgCluster();
  ~PgCluster();
  PgCluster(const PgCluster&) = delete;
  PgCluster& operator=(const PgCluster&) = delete;

  [[nodiscard]] const std::filesystem::path& folder() const { return folder_; }
  [[nodiscard]] int port() const { return port_; }
  // host:port:database:user:password for this server, as ~/.pgpass holds it.
  [[nodiscard]] std::string pgpass_line(std::string_view user, std::string_view password) const;

  // Adds the service `name`, logging in to `database` as `user`, with a
  // password file of its own holding `pgpass` (its whole text).
  void add_service(std::string_view name,
                   std::string_view user,
                   std::string_view pgpass,
                   std::string_view database = kDatabase);

  // Stops the server (a fast stop, sessions ended), and starts it again on
  // the same port, its data as it was: a server that goes down for a while.
  void stop();
  void start();
  // Stops every process of the server where it stands (SIGSTOP), sessions
  // and all, as a suspended host would; resume() lets them go on.
  void pause();
  void resume();

  // Runs SQL through psql as the service's role, stopping at the first
  // error; rows come out unaligned, a line each, columns split by '|'.
  [[nodiscard]] Ran psql(std::string_view service, std::string_view sql) const;

 private:
  void start_server();
  void stop_server();

  std::filesystem::path folder_;
  uid_t server_uid_ = 0;
  gid_t server_gid_ = 0;
  bool as_other_user_ = false;
  int port_ = 0;
  pid_t server_ = -1;
};

}  // namespace tutor::testing
