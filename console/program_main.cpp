#include "console/program_main.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "console/sdl_backend.h"

namespace tutor {

int run_program(const std::string& name,
                WorkingFolder folder,
                const std::function<void(Console&)>& program) {
  if (folder == WorkingFolder::ProgramFolder) {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || ::chdir(exe.parent_path().c_str()) != 0) {
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
