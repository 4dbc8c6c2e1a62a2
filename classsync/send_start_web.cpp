// The browser's sender: a class's page (signed in to its class server) has
// no program to start and no PostgreSQL client. A block kept is moved from
// the history's outbox into the page's, a file a block, which the page
// sends over HTTP (web/page/velmora-class.js); a page of no class keeps its
// blocks in the history alone.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "classsync/send_start.h"
#include "console/web_platform.h"
#include "history/block_json.h"

namespace tutor::classsync {
namespace {

// Beside M0/ in the learner's tree, out of what the bar saves as a zip.
constexpr std::string_view kPageOutbox = "outbox";
constexpr std::size_t kBlocksAtOnce = 100;

// By the history's id, so that the page sends them oldest first by name.
std::filesystem::path outbox_file(const std::filesystem::path& folder,
                                  const history::WaitingBlock& block) {
  char id[24];
  std::snprintf(id, sizeof id, "%012lld", static_cast<long long>(block.id));
  return folder / (std::string(id) + "-" + block.uid + ".json");
}

}  // namespace

std::optional<std::filesystem::path> sender_beside(const std::filesystem::path&) {
  return std::nullopt;
}

void SendStarter::start() {
  if (!web_platform::in_class()) {
    return;
  }
  const std::filesystem::path folder =
      std::filesystem::path(history_).parent_path() / "../.." / std::string(kPageOutbox);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  for (std::vector<history::WaitingBlock> blocks = history::waiting_blocks(history_, kBlocksAtOnce);
       !blocks.empty(); blocks = history::waiting_blocks(history_, kBlocksAtOnce)) {
    std::vector<std::int64_t> moved;
    for (const history::WaitingBlock& block : blocks) {
      // Written before the history lets it go: stored together before the
      // next frame, and a block in both is sent twice, kept once.
      std::ofstream out(outbox_file(folder, block), std::ios::binary | std::ios::trunc);
      out << history::block_json(block);
      if (!out.flush()) {
        return;
      }
      moved.push_back(block.id);
    }
    if (!history::take_out_of_outbox(history_, moved)) {
      return;
    }
  }
}

}  // namespace tutor::classsync
