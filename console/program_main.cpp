#include "console/program_main.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "console/sdl_backend.h"

namespace tutor {
namespace {

// The folder this program was started from: the folder of the path it was
// started as (argv[0]) with links left as they are, so that a tree of links
// to installed programs (the velmora command's) is the folder, not the one the
// links lead to. A name without a folder, or one that is not this program,
// falls back to the folder of the executable itself.
std::filesystem::path started_folder() {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) {
    return {};
  }
  std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
  std::string argv0;
  std::getline(cmdline, argv0, '\0');
  if (argv0.find('/') != std::string::npos && fs::equivalent(argv0, self, ec) && !ec) {
    return fs::path(argv0).parent_path();
  }
  return self.parent_path();
}

}  // namespace

int run_program(const std::string& name,
                WorkingFolder folder,
                const std::function<void(Console&)>& program) {
  if (folder == WorkingFolder::ProgramFolder) {
    const std::filesystem::path started = started_folder();
    if (started.empty() || ::chdir(started.c_str()) != 0) {
      std::fprintf(stderr, "%s: cannot change to the program's folder\n", name.c_str());
      return 1;
    }
  }
  SdlBackend backend(name);
  Console con(backend, name);
  program(con);
  con.end();
}

}  // namespace tutor
