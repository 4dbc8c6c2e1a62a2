#include "teacher/class_command.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "classdb/classdb.h"
#include "progress/progress_layout.h"
#include "teacher/class_summary.h"
#include "teacher/learner_commands.h"
#include "teacher/local_time.h"
#include "teacher/report_csv.h"
#include "teacher/report_html.h"

extern char** environ;  // the environment xdg-open inherits

namespace tutor::teacher {
namespace {

constexpr std::string_view kUsage =
    "usage: velmora-class [--service NAME] COMMAND\n"
    "  init                        set up the class server in an empty database,\n"
    "                              or bring an older one up to date\n"
    "  add-class CLASS             add a class, e.g. 5-2\n"
    "  add-learner CLASS LEARNER   add a learner with a new password and print\n"
    "                              the line of the learner's ~/.pgpass\n"
    "  add-learners CLASS ROSTER [--cards FILE] [--address URL]\n"
    "                              add every learner of ROSTER, a CSV file with\n"
    "                              the columns 出席番号, 氏名 and ログイン名 in\n"
    "                              UTF-8 or Shift_JIS, all or none, and write\n"
    "                              their sign-in cards with the new passwords,\n"
    "                              a page to print, to a new FILE or the standard\n"
    "                              output; each card names URL, where to sign in\n"
    "  new-login CLASS LEARNER     give the learner a new login and password (the\n"
    "                              old ones stop working) and print them likewise\n"
    "  reset-password CLASS LEARNER [--cards FILE [--address URL]]\n"
    "                              give the learner a new password and print it,\n"
    "                              or write its sign-in card to a new FILE\n"
    "  remove-learner CLASS LEARNER\n"
    "                              take the learner's login away; its blocks stay\n"
    "                              on the server, for the administrator alone\n"
    "  add-teacher CLASS TEACHER   make a teacher of the class; a new teacher's\n"
    "                              ~/.pgpass line is printed\n"
    "  pass-mark CLASS [MARK|none] show, or set, the word course's pass mark of the\n"
    "                              class, e.g. 20:90 (kana a minute : percent of\n"
    "                              keys right); none leaves it to each learner\n"
    "  add-web-login LOGIN         make LOGIN the login of the web service (serve),\n"
    "                              which may act for a learner or teacher only once\n"
    "                              signed in; a new login's ~/.pgpass line is printed\n"
    "  serve [--listen ADDR:PORT]  serve the class in the browser (see serve --help)\n"
    "  daily-limit [BLOCKS]        show, or set, the most blocks one learner may\n"
    "                              send in a day (1000 to begin with)\n"
    "  report CLASS --html FILE    write the class's report, a page to open in a\n"
    "                              browser and print, to FILE\n"
    "  report CLASS --csv [FILE]   write its table of learners as CSV to FILE,\n"
    "                              or to the standard output\n"
    "  report --open               write the report of every class you teach to\n"
    "                              $XDG_CACHE_HOME/velmora and open it in the browser\n"
    "It connects through the libpq service NAME: --service, else $PGSERVICE,\n"
    "else velmora. init and the commands on classes, learners and teachers log\n"
    "in as the administrator, who owns the class server and needs CREATEROLE;\n"
    "report as a teacher of the class or the administrator.\n";

struct CommandLine {
  std::string service;
  std::vector<std::string_view> words;  // the command and its arguments
  bool help = false;
  std::optional<std::string_view> html;     // report: the page's file
  bool csv = false;                         // report: CSV, to the file after the class if any
  bool open = false;                        // report: every class taught, opened in the browser
  std::optional<std::string_view> cards;    // add-learners, reset-password: the cards' file
  std::optional<std::string_view> address;  // ... and where the learners sign in
};

// `--name VALUE` or `--name=VALUE` at args[i], moving i past the value;
// false for anything else, or for an option given twice.
bool take_value(std::span<const std::string_view> args,
                size_t& i,
                std::string_view name,
                std::optional<std::string_view>& value) {
  const std::string_view arg = args[i];
  if (value) {
    return false;
  }
  if (arg == name && i + 1 < args.size() && !args[i + 1].empty()) {
    value = args[++i];
  } else if (arg.size() > name.size() + 1 && arg[name.size()] == '=') {
    value = arg.substr(name.size() + 1);
  }
  return value.has_value();
}

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
    } else if (arg == "--html" && i + 1 < args.size() && !args[i + 1].empty() && !line.html) {
      line.html = args[++i];
    } else if (arg.starts_with("--html=") && arg.size() > 7 && !line.html) {
      line.html = arg.substr(7);
    } else if (arg.starts_with("--cards")) {
      if (!take_value(args, i, "--cards", line.cards)) {
        return std::nullopt;
      }
    } else if (arg.starts_with("--address")) {
      if (!take_value(args, i, "--address", line.address)) {
        return std::nullopt;
      }
    } else if (arg == "--csv" && !line.csv) {
      line.csv = true;
    } else if (arg == "--open" && !line.open) {
      line.open = true;
    } else if (arg.starts_with("-")) {
      return std::nullopt;
    } else {
      line.words.push_back(arg);
    }
  }
  return line;
}

// Whether the command has the arguments and options it takes.
bool well_formed(const CommandLine& line) {
  if (line.words.empty()) {
    return false;
  }
  const std::string_view command = line.words[0];
  const size_t arguments = line.words.size() - 1;
  if (command == "report" && line.open) {
    return arguments == 0 && !line.html && !line.csv;
  }
  if (line.open) {
    return false;
  }
  if (command == "report") {
    // Exactly one of the two; only CSV may go to the standard output.
    return line.html.has_value() != line.csv && (arguments == 1 || (arguments == 2 && line.csv));
  }
  if (line.html || line.csv) {
    return false;
  }
  if (command == "add-learners") {
    return arguments == 2;
  }
  if (command == "reset-password") {
    return arguments == 2 && (line.cards || !line.address);
  }
  if (line.cards || line.address) {
    return false;
  }
  if (command == "init") {
    return arguments == 0;
  }
  if (command == "daily-limit") {
    return arguments <= 1;
  }
  if (command == "pass-mark") {
    return arguments == 1 || arguments == 2;
  }
  if (command == "add-class" || command == "add-web-login") {
    return arguments == 1;
  }
  return (command == "add-learner" || command == "new-login" || command == "add-teacher" ||
          command == "remove-learner") &&
         arguments == 2;
}

// The report of the class, made as of now on this machine's clock.
void report(classdb::ClassServer& server, const CommandLine& line, std::ostream& out) {
  const std::time_t now = std::time(nullptr);
  const classdb::ReportPeriod period{week_start(now), utc_offset_s(now), progress::kRecentBlocks};
  const ClassSummary summary = summarise(server.class_report(line.words[1], period));
  // The page's file, or CSV's if one is named; "" for the standard output.
  const std::string file(line.html ? *line.html : line.words.size() > 2 ? line.words[2] : "");
  std::ofstream to_file;
  if (!file.empty()) {
    // A class's records are personal: a new report is the user's alone (a
    // file already there keeps the mode it was given).
    if (const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600); fd >= 0) {
      ::close(fd);
    }
    to_file.open(file, std::ios::binary | std::ios::trunc);
    if (!to_file) {
      throw std::runtime_error("cannot write the report to " + file);
    }
  }
  std::ostream& to = file.empty() ? out : to_file;
  if (line.html) {
    write_report_html(to, summary, {static_cast<std::int64_t>(now), period.week_start});
  } else {
    write_report_csv(to, summary);
  }
  to.flush();
  if (!to) {
    throw std::runtime_error("cannot write the report to " +
                             (file.empty() ? std::string("the standard output") : file));
  }
}

// Where the user's cache is: $XDG_CACHE_HOME, else ~/.cache.
std::filesystem::path cache_folder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') {
    return cache;
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    throw std::runtime_error("no folder for the reports: HOME is not an absolute folder");
  }
  return std::filesystem::path(home) / ".cache";
}

// Opens a file in the desktop's browser; false where xdg-open cannot be run.
bool open_in_browser(const std::filesystem::path& file) {
  const std::string path = file.string();
  char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = 0;
  if (::posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) {
    return false;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The report of every class the user teaches, written to the user's cache
// and opened in the browser: what the teachers' menu entry runs.
void open_reports(classdb::ClassServer& server,
                  const CommandLine& line,
                  std::ostream& out,
                  std::ostream& err) {
  const std::vector<std::string> classes = server.classes_taught();
  if (classes.empty()) {
    throw std::runtime_error("you teach no class on this class server");
  }
  const std::filesystem::path folder = cache_folder() / "velmora";
  std::filesystem::create_directories(folder);
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  // One class's report that cannot be made stops none of the others.
  std::vector<std::string> failed;
  for (const std::string& name : classes) {
    const std::string file = (folder / ("class-" + name + ".html")).string();
    CommandLine one = line;
    one.words = {"report", name};
    one.html = file;
    try {
      report(server, one, out);
    } catch (const std::exception& e) {
      err << "velmora-class: " << e.what() << "\n";
      failed.push_back(name);
      continue;
    }
    out << (open_in_browser(file) ? "opened " : "open it in a browser: ") << file << "\n";
  }
  if (!failed.empty()) {
    std::string names;
    for (const std::string& name : failed) {
      names += (names.empty() ? "" : ", ") + name;
    }
    throw std::runtime_error("no report of " + names);
  }
}

// The lines of a new learner's login: its ~/.pgpass line, then, as a comment
// that ~/.pgpass may keep, the user its computer's service group names.
void print_login(std::ostream& out, std::string_view learner, const classdb::NewLogin& login) {
  out << login.pgpass_line << "\n"
      << "# " << learner << " logs in as " << login.role << ": put user=" << login.role
      << " in the [velmora] group of " << learner << "'s ~/.pg_service.conf\n";
}

void print_init(std::ostream& out, const classdb::SchemaChange& change) {
  const std::string version = "schema version " + std::to_string(change.to);
  if (change.from == change.to) {
    out << "the class server is already set up (" << version << "): nothing changed\n";
  } else if (change.from == 0) {
    out << "set up the class server (" << version << ")\n";
  } else {
    out << "brought the class server from schema version " << change.from << " to " << change.to
        << "\n";
  }
  if (change.blocks_refused > 0) {
    out << "note: " << change.blocks_refused
        << (change.blocks_refused == 1 ? " block no block can have (kept before the server checked"
                                         " them) was moved"
                                       : " blocks no block can have (kept before the server"
                                         " checked them) were moved")
        << " to the table refused_blocks\n";
  }
  if (change.named_logins > 0) {
    out << "note: " << change.named_logins
        << (change.named_logins == 1 ? " learner logs" : " learners log")
        << " in by name, which every login can read: give each such learner a login that tells"
           " nothing with new-login CLASS LEARNER\n";
  }
  if (change.large_objects_open) {
    out << "note: learners can still make large objects, which no limit bounds: run init once"
           " as a superuser (e.g. sudo -u postgres), or as one: psql -d DATABASE -c '"
        << classdb::kCloseLargeObjects << "'\n";
  }
}

// A whole number of blocks a day, or nullopt.
std::optional<int> blocks_a_day_of(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) {
    return std::nullopt;
  }
  return value;
}

void run(const CommandLine& line, std::ostream& out, std::ostream& err) {
  const std::string_view command = line.words[0];
  if (command == "report" && line.open) {
    classdb::ClassServer server = classdb::ClassServer::connect(line.service);
    open_reports(server, line, out, err);
    return;
  }
  // Names and numbers are checked before connecting: a typing mistake needs no server.
  std::optional<int> blocks_a_day;
  if (command == "daily-limit" && line.words.size() > 1) {
    blocks_a_day = blocks_a_day_of(line.words[1]);
    if (!blocks_a_day) {
      throw std::runtime_error("the blocks a day are a whole number, 0 or more: not \"" +
                               std::string(line.words[1]) + "\"");
    }
  } else if (command == "add-web-login") {
    classdb::check_login_name(line.words[1]);
  } else if (command != "init" && command != "daily-limit") {
    classdb::check_class_name(line.words[1]);
  }
  std::optional<std::optional<std::string>> pass_mark;
  if (command == "pass-mark" && line.words.size() > 2) {
    pass_mark = line.words[2] == "none"
                    ? std::optional<std::string>()
                    : std::optional<std::string>(classdb::checked_pass_mark(line.words[2]));
  } else if (line.words.size() > 2 && command != "report" && command != "add-learners") {
    classdb::check_login_name(line.words[2]);
  }
  // So is the roster read: one that cannot be needs no server either.
  const std::string roster =
      command == "add-learners" ? roster_file(std::string(line.words[2])) : std::string();
  const CardsTo cards{std::string(line.cards.value_or("")), std::string(line.address.value_or(""))};
  classdb::ClassServer server = classdb::ClassServer::connect(line.service);
  if (command == "init") {
    print_init(out, server.init());
  } else if (command == "add-class") {
    server.add_class(line.words[1]);
    out << "added the class " << line.words[1] << "\n";
  } else if (command == "report") {
    report(server, line, out);
  } else if (command == "add-learner") {
    print_login(out, line.words[2], server.add_learner(line.words[1], line.words[2]));
  } else if (command == "add-learners") {
    add_roster(server, line.words[1], std::string(line.words[2]), roster, cards, out);
  } else if (command == "reset-password") {
    reset_password(server, line.words[1], line.words[2],
                   line.cards ? std::optional(cards) : std::nullopt, out);
  } else if (command == "remove-learner") {
    remove_learner(server, line.words[1], line.words[2], out);
  } else if (command == "new-login") {
    print_login(out, line.words[2], server.renew_login(line.words[1], line.words[2]));
  } else if (command == "pass-mark") {
    const std::optional<std::string> now = server.pass_mark(line.words[1], pass_mark);
    out << "class " << line.words[1]
        << (now ? ": pass mark " + *now : ": no pass mark, each learner's own choice") << "\n";
  } else if (command == "add-web-login") {
    const std::optional<classdb::NewLogin> made = server.add_web_login(line.words[1]);
    if (made) {
      out << made->pgpass_line << "\n";
    }
    out << line.words[1] << " is the web service's login\n";
  } else if (command == "daily-limit") {
    out << "a learner may send " << server.blocks_a_day(blocks_a_day) << " blocks a day\n";
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
  if (!line || !well_formed(*line)) {
    err << kUsage;
    return 2;
  }
  try {
    run(*line, out, err);
    out.flush();
    return 0;
  } catch (const std::exception& e) {
    err << "velmora-class: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace tutor::teacher
