// A class server for the browser's tests (e2e/class/): a PostgreSQL cluster
// of its own with two classes, their learners and teachers, and the web
// service's login, set up by velmora-class as an administrator would. It
// prints what the tests need as one line of JSON and keeps the cluster
// until its standard input closes (the test's end, or its death).

#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/pg_cluster.h"

namespace {

using tutor::testing::PgCluster;
using tutor::testing::Ran;
using tutor::testing::run_command;

// The password of a printed ~/.pgpass line: its last field (the tests'
// passwords are letters and digits, never escaped).
std::string password_of(const std::string& printed) {
  const std::string line = printed.substr(0, printed.find('\n'));
  return line.substr(line.rfind(':') + 1);
}

std::string role_of(const std::string& printed) {
  const std::string line = printed.substr(0, printed.find('\n'));
  const std::size_t end = line.rfind(':');
  const std::size_t start = line.rfind(':', end - 1) + 1;
  return line.substr(start, end - start);
}

std::string run_class(const std::vector<std::string>& words) {
  std::vector<std::string> argv = {VELMORA_CLASS};
  argv.insert(argv.end(), words.begin(), words.end());
  const Ran ran = run_command(argv);
  if (ran.status != 0) {
    throw std::runtime_error("velmora-class failed: " + ran.err);
  }
  return ran.out;
}

}  // namespace

int main() {
  try {
    PgCluster cluster;
    run_class({"init"});
    std::map<std::string, std::pair<std::string, std::string>> logins;  // who: role, password
    for (const char* name : {"5-2", "6-1"}) {
      run_class({"add-class", name});
    }
    for (const auto& [class_name, learner] : std::vector<std::pair<std::string, std::string>>{
             {"5-2", "hanako"}, {"5-2", "taro"}, {"6-1", "jiro"}}) {
      const std::string printed = run_class({"add-learner", class_name, learner});
      logins[class_name + "/" + learner] = {role_of(printed), password_of(printed)};
    }
    for (const auto& [class_name, teacher] :
         std::vector<std::pair<std::string, std::string>>{{"5-2", "suzuki"}, {"6-1", "sato"}}) {
      logins[class_name + "/" + teacher] = {
          teacher, password_of(run_class({"add-teacher", class_name, teacher}))};
    }
    const std::string web = run_class({"add-web-login", "velmora_web"});
    cluster.add_service("web", "velmora_web", web.substr(0, web.find('\n')));
    std::cout << "{\"port\":" << cluster.port() << ",\"serviceFile\":\""
              << (cluster.folder() / "services.conf").string() << "\",\"noSystemServices\":\""
              << (cluster.folder() / "no-system-services").string() << "\",\"logins\":{";
    bool first = true;
    for (const auto& [who, login] : logins) {
      std::cout << (first ? "" : ",") << "\"" << who << "\":{\"role\":\"" << login.first
                << "\",\"password\":\"" << login.second << "\"}";
      first = false;
    }
    std::cout << "}}" << std::endl;
    std::string ignored;
    while (std::getline(std::cin, ignored)) {
    }
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "class_server_for_tests: " << e.what() << "\n";
    return 1;
  }
}
