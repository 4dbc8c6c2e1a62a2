#include "teacher/class_command.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "classdb/classdb.h"

namespace tutor::teacher {
namespace {

constexpr std::string_view kUsage =
    "usage: velmora-class [--service NAME] COMMAND\n"
    "  init                        set up the class server in an empty database,\n"
    "                              or bring an older one up to date\n"
    "  add-class CLASS             add a class, e.g. 5-2\n"
    "  add-learner CLASS LEARNER   add a learner with a new password and print\n"
    "                              the line of the learner's ~/.pgpass\n"
    "  add-teacher CLASS TEACHER   make a teacher of the class; a new teacher's\n"
    "                              ~/.pgpass line is printed\n"
    "It connects through the libpq service NAME: --service, else $PGSERVICE,\n"
    "else velmora. The role it logs in as owns the class server and needs\n"
    "CREATEROLE.\n";

struct CommandLine {
  std::string service;
  std::vector<std::string_view> words;  // the command and its arguments
  bool help = false;
};

// Options may stand anywhere; nullopt for a malformed one.
std::optional<CommandLine> parse(std::span<const std::string_view> args,
                                 std::string_view pgservice) {
  CommandLine line;
  line.service = pgservice.empty() ? "velmora" : std::string(pgservice);
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      line.help = true;
    } else if (arg == "--service" && i + 1 < args.size() && !args[i + 1].empty()) {
      line.service = args[++i];
    } else if (arg.starts_with("--service=") && arg.size() > 10) {
      line.service = arg.substr(10);
    } else if (arg.starts_with("-")) {
      return std::nullopt;
    } else {
      line.words.push_back(arg);
    }
  }
  return line;
}

// How many arguments each command takes.
std::optional<size_t> arguments_of(std::string_view command) {
  if (command == "init") {
    return 0;
  }
  if (command == "add-class") {
    return 1;
  }
  if (command == "add-learner" || command == "add-teacher") {
    return 2;
  }
  return std::nullopt;
}

void run(const CommandLine& line, std::ostream& out) {
  const std::string_view command = line.words[0];
  // Names are checked before connecting: a typing mistake needs no server.
  if (command != "init") {
    classdb::check_class_name(line.words[1]);
  }
  if (line.words.size() > 2) {
    classdb::check_login_name(line.words[2]);
  }
  classdb::ClassServer server = classdb::ClassServer::connect(line.service);
  if (command == "init") {
    const classdb::SchemaChange change = server.init();
    const std::string version = "schema version " + std::to_string(change.to);
    if (change.from == change.to) {
      out << "the class server is already set up (" << version << "): nothing changed\n";
    } else if (change.from == 0) {
      out << "set up the class server (" << version << ")\n";
    } else {
      out << "brought the class server from schema version " << change.from << " to " << change.to
          << "\n";
    }
  } else if (command == "add-class") {
    server.add_class(line.words[1]);
    out << "added the class " << line.words[1] << "\n";
  } else if (command == "add-learner") {
    out << server.add_learner(line.words[1], line.words[2]).pgpass_line << "\n";
  } else {
    const classdb::AddedTeacher added = server.add_teacher(line.words[1], line.words[2]);
    if (added.login) {
      out << added.login->pgpass_line << "\n";
    } else {
      out << line.words[2] << (added.was_teaching ? " already teaches " : " now teaches ")
          << line.words[1] << "\n";
    }
  }
}

}  // namespace

int run_class_command(std::span<const std::string_view> args,
                      std::string_view pgservice,
                      std::ostream& out,
                      std::ostream& err) {
  const std::optional<CommandLine> line = parse(args, pgservice);
  if (line && line->help) {
    out << kUsage;
    return 0;
  }
  if (!line || line->words.empty() || arguments_of(line->words[0]) != line->words.size() - 1) {
    err << kUsage;
    return 2;
  }
  try {
    run(*line, out);
    out.flush();
    return 0;
  } catch (const std::exception& e) {
    err << "velmora-class: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace tutor::teacher
