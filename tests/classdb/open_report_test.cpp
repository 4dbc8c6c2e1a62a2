#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/classdb/class_fixture.h"

namespace tutor::classdb {
namespace {

namespace fs = std::filesystem;

std::string contents_of(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// What the teachers' menu entry runs: the report of every class the teacher
// teaches, written to the user's cache and handed to the browser; where no
// xdg-open can run, the files are named instead. A learner teaches nothing.
TEST_F(ClassServerTest, ReportOpenWritesEveryClassTaughtToTheCache) {
  ClassServer::connect(testing::PgCluster::kAdminService).add_teacher("5-3", "suzuki");
  const fs::path cache = cluster_.folder() / "cache";
  const std::string path = std::getenv("PATH");
  ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  ::setenv("PATH", "/nonexistent", 1);
  const testing::Ran teacher =
      testing::run_command({VELMORA_CLASS, "--service", "suzuki", "report", "--open"});
  const testing::Ran learner =
      testing::run_command({VELMORA_CLASS, "--service", "hanako", "report", "--open"});
  ::setenv("PATH", path.c_str(), 1);
  ::unsetenv("XDG_CACHE_HOME");

  ASSERT_EQ(teacher.status, 0) << teacher.err;
  const fs::path first = cache / "velmora/class-5-2.html",
                 second = cache / "velmora/class-5-3.html";
  EXPECT_EQ(teacher.out, "open it in a browser: " + first.string() +
                             "\nopen it in a browser: " + second.string() + "\n");
  EXPECT_NE(contents_of(first).find("hanako"), std::string::npos);
  EXPECT_NE(contents_of(second).find("sato"), std::string::npos);
  EXPECT_EQ(contents_of(second).find("hanako"), std::string::npos);
  EXPECT_EQ(fs::status(cache / "velmora").permissions() & fs::perms::all, fs::perms::owner_all);
  // A class's records are the teacher's alone, whatever the umask.
  for (const fs::path& report : {first, second}) {
    EXPECT_EQ(fs::status(report).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write)
        << report;
  }
  EXPECT_EQ(learner.status, 1);
  EXPECT_NE(learner.err.find("teach no class"), std::string::npos) << learner.err;
}

}  // namespace
}  // namespace tutor::classdb
