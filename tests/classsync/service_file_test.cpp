#include "classsync/service_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace tutor::classsync {
namespace {

// service_defined() against files libpq would read, and those it would not.
TEST(ServiceFile, DefinedWhereLibpqWouldFindIt) {
  const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "services";
  std::filesystem::create_directories(folder / "home");
  std::filesystem::create_directories(folder / "system");
  std::ofstream(folder / "user.conf") << "# the school's\n[velmora]\nhost=a\n\n[kyoshitsu]\n";
  std::ofstream(folder / "home" / ".pg_service.conf") << "[at-home]\nhost=b\n";
  std::ofstream(folder / "system" / "pg_service.conf") << "  [school] # all rooms\nhost=c\n";

  struct Case {
    std::optional<std::string> service_file;  // PGSERVICEFILE, unset when none
    std::string_view service;
    bool defined;
  };
  const std::string user_file = (folder / "user.conf").string();
  const std::string missing = (folder / "missing.conf").string();
  const Case cases[] = {
      {user_file, "velmora", true},
      {user_file, "kyoshitsu", true},
      {user_file, "school", true},
      {user_file, "velmo", false},
      {user_file, "host=a", false},
      {user_file, "at-home", false},
      {std::nullopt, "at-home", true},
      {std::nullopt, "school", true},
      {std::nullopt, "velmora", false},
      // libpq stops at a service file named but not there.
      {missing, "school", false},
  };
  const char* home = std::getenv("HOME");
  const std::string saved_home = home != nullptr ? home : "";
  ::setenv("HOME", (folder / "home").c_str(), 1);
  ::setenv("PGSYSCONFDIR", (folder / "system").c_str(), 1);
  for (const Case& c : cases) {
    if (c.service_file) {
      ::setenv("PGSERVICEFILE", c.service_file->c_str(), 1);
    } else {
      ::unsetenv("PGSERVICEFILE");
    }
    EXPECT_EQ(service_defined(c.service), c.defined)
        << c.service << " in " << c.service_file.value_or("~/.pg_service.conf");
  }
  ::setenv("HOME", saved_home.c_str(), 1);
  ::unsetenv("PGSERVICEFILE");
  ::unsetenv("PGSYSCONFDIR");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tutor::classsync
