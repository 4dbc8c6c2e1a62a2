// A lesson program at the moment it keeps a block: a headless console over a
// program tree, the lesson kit's BlockKeeper keeping one block (and starting
// the sender as every lesson does), "kept" on stdout, then the end at once
// or a wait to be killed.  Usage: keeps_a_block TREE BLOCK-NUMBER end|wait
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/headless.h"
#include "lessonkit/block_history.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: keeps_a_block TREE BLOCK-NUMBER end|wait\n");
    return 2;
  }
  tutor::HeadlessBackend backend(argv[1]);
  tutor::Console con(backend, "Ostrin");
  tutor::lessonkit::BlockKeeper keeper = tutor::lessonkit::BlockKeeper::of(con);
  const int n = std::atoi(argv[2]);
  tutor::history::BlockEntry block;
  block.ended_at = "2026-12-08T09:" + std::to_string(10 + n / 60) + ":" + (n % 60 < 10 ? "0" : "") +
                   std::to_string(n % 60) + "+09:00";
  block.program = "Ostrin";
  block.step = 1;
  block.seconds = 60;
  block.right = 100 + n;
  block.evaluation = "80.0";
  block.result = "pass";
  if (!keeper.keep(block)) {
    return 1;
  }
  std::puts("kept");
  std::fflush(stdout);
  while (std::string_view(argv[3]) == "wait") {
    ::pause();
  }
  std::_Exit(0);
}
