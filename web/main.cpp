// The web edition: every program in one module, run in turn on one canvas
// over the learner's tree kept in the browser.
#include <emscripten.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/web_backend.h"
#include "console/web_platform.h"
#include "history/history.h"
#include "progress/csv.h"
#include "records/record_table.h"
#include "web/programs.h"

namespace {

using namespace tutor;

constexpr std::string_view kTree = "/velmora";

// A new learner's tree, and a missing record of an old one's, as the
// desktop's installation lays them out.
void lay_out_tree() {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories("M0/data", ec);
  fs::create_directories("M1", ec);
  for (const records::RecordFile& record : records::kRecordFiles) {
    const std::string file(record.path);
    if (!fs::exists(file, ec)) {
      std::ofstream(file) << record.starting_value << "\n";
    }
  }
}

const web::PageProgram& program_named(std::string_view name) {
  const auto* found = std::find_if(web::kPrograms.begin(), web::kPrograms.end(),
                                   [&](const web::PageProgram& p) { return p.name == name; });
  return found != web::kPrograms.end() ? *found : web::kPrograms.front();
}

}  // namespace

// The bar's downloads of the history as CSV, for a spreadsheet (with the
// byte-order mark): written to the page's memory, where the page reads the
// file and removes it. Called while the program waits for input.
extern "C" EMSCRIPTEN_KEEPALIVE int velmora_write_csv(int missed_keys) {
  const std::vector<std::string_view> options = {missed_keys != 0 ? "--csv-keys" : "--csv",
                                                 "--excel"};
  std::ofstream out("/tmp/velmora.csv", std::ios::binary);
  std::ostringstream problems;
  const int status = progress::export_csv(options, history::kHistoryFile, out, problems);
  out.close();
  if (status != 0) {
    std::fprintf(stderr, "%s", problems.str().c_str());
  }
  return status == 0 && out ? 1 : 0;
}

int main() {
  if (!web_platform::open_storage(kTree)) {
    std::fprintf(stderr, "the browser keeps no records here: they last until the page closes\n");
  }
  if (::chdir(std::string(kTree).c_str()) != 0) {
    std::fprintf(stderr, "cannot change to the learner's folder\n");
    return 1;
  }
  // The settings a program keeps (the word course's input, the window's
  // sounds) are the learner's too: kept in the tree, not the page's memory.
  ::setenv("XDG_CONFIG_HOME", (std::string(kTree) + "/config").c_str(), 1);
  lay_out_tree();
  web_platform::defer_changes();
  std::vector<std::string_view> names;
  for (const web::PageProgram& p : web::kPrograms) {
    names.push_back(p.name);
  }
  WebBackend backend(names, web::kLauncher);
  std::string next(web::kLauncher);
  while (true) {
    const web::PageProgram& program = program_named(next);
    backend.begin_program(program.name);
    try {
      Console con(backend, std::string(program.name));
      program.run(con);
      con.end();
    } catch (const HandOver& hand_over) {
      next = hand_over.program;
    } catch (const WebProgramEnded&) {
      web_platform::wait_for_restart();
      next = web::kLauncher;
    }
  }
}
