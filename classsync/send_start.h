#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

// Starting the class server's sender from a program a learner looks at. The
// sender is a program of its own (velmora-send): the programs here load no
// network client, and a block reaches the server even when the program that
// kept it ends at once.
namespace tutor::classsync {

// The launcher in the program tree, by whose real place the sender is found.
inline constexpr std::string_view kLauncherProgram = "Velmora";

// The sender beside the programs whose launcher is `launcher` (a link is
// followed to the real programs): bin/velmora-send in the folder the tree
// was installed to, the build's bin/ beside its program tree, or the
// package's /usr/bin beside /usr/lib/velmora; nothing where none is there.
[[nodiscard]] std::optional<std::filesystem::path> sender_beside(
    const std::filesystem::path& launcher);

class SendStarter {
 public:
  // `history` is sent by the program `sender`, through the libpq service `service`.
  SendStarter(std::filesystem::path history,
              std::filesystem::path launcher,
              std::string service = "velmora")
      : history_(std::move(history)),
        launcher_(std::move(launcher)),
        service_(std::move(service)) {}

  // Starts the sender, detached, unless the service is not defined or a
  // sender of this history runs already (it sends what was just kept: see
  // velmora-send). Costs two forks when it starts one, a look at the
  // service files the first time otherwise; never waits on the network.
  void start();

 private:
  std::filesystem::path history_;
  std::filesystem::path launcher_;
  std::string service_;
  std::optional<bool> service_there_;  // looked up by the first start
  std::optional<std::filesystem::path> sender_;
};

}  // namespace tutor::classsync
