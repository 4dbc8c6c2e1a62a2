#include "teacher/learner_commands.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "teacher/roster.h"
#include "teacher/sign_in_cards.h"

namespace tutor::teacher {
namespace {

// A class's roster is a few kilobytes; anything much larger is another file.
constexpr std::size_t kLargestRoster = 1 << 20;

// A file made new for the cards, readable by its user alone since it holds
// passwords; never one already there, nor through a link. Unless kept it is
// removed again, so a command that fails leaves no file behind, nor cards
// whose passwords were never committed.
class CardFile {
 public:
  explicit CardFile(std::string file) : file_(std::move(file)) {
    fd_ = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0) {
      throw std::runtime_error(errno == EEXIST
                                   ? file_ + " is there already: the cards go to a new file only"
                                   : "cannot make " + file_ + ": " + std::strerror(errno));
    }
  }
  CardFile(const CardFile&) = delete;
  CardFile& operator=(const CardFile&) = delete;
  ~CardFile() {
    ::close(fd_);
    if (!kept_) {
      ::unlink(file_.c_str());
    }
  }

  // The page, its bytes on the disk.
  void write(std::string_view page) {
    while (!page.empty()) {
      const ssize_t n = ::write(fd_, page.data(), page.size());
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n <= 0) {
        throw std::runtime_error("cannot write the cards to " + file_ + ": " +
                                 std::strerror(errno));
      }
      page.remove_prefix(static_cast<std::size_t>(n));
    }
    if (::fsync(fd_) != 0) {
      throw std::runtime_error("cannot write the cards to " + file_ + ": " + std::strerror(errno));
    }
  }
  void keep() { kept_ = true; }

  [[nodiscard]] const std::string& name() const { return file_; }

 private:
  std::string file_;
  int fd_ = -1;
  bool kept_ = false;
};

std::string cards_page(std::span<const SignInCard> cards, std::string_view address) {
  std::ostringstream page;
  write_sign_in_cards(page, cards, address);
  return page.str();
}

// The cards to the standard output, all of them or an error.
void print_cards(std::ostream& out, const std::string& page) {
  out << page;
  out.flush();
  if (!out) {
    throw std::runtime_error("cannot write the cards to the standard output");
  }
}

// The error that names every row of the roster that cannot be added, a line each.
std::runtime_error bad_rows(const std::string& file, const std::vector<RosterProblem>& problems) {
  std::string what = "nobody was added: " + std::to_string(problems.size()) +
                     (problems.size() == 1 ? " row of " : " rows of ") + file + " cannot be added";
  for (const RosterProblem& p : problems) {
    what += "\n  line " + std::to_string(p.line) + ": " + p.what;
  }
  return std::runtime_error(what);
}

}  // namespace

std::string roster_file(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) {
    throw std::runtime_error("cannot open the roster " + file + ": " + std::strerror(errno));
  }
  std::string bytes(kLargestRoster + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad() || (!in && !in.eof())) {
    throw std::runtime_error("cannot read the roster " + file);
  }
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (bytes.size() > kLargestRoster) {
    throw std::runtime_error("the roster " + file + " is larger than a class's roster can be (" +
                             std::to_string(kLargestRoster / 1024) + " KiB)");
  }
  return bytes;
}

void add_roster(classdb::ClassServer& server,
                std::string_view class_name,
                const std::string& file,
                std::string_view bytes,
                const CardsTo& cards,
                std::ostream& out) {
  // Made first: where the cards cannot be written, nobody is added.
  std::optional<CardFile> card_file;
  if (!cards.file.empty()) {
    card_file.emplace(cards.file);
  }
  const std::vector<std::string> in_class = server.learner_names(class_name);
  Roster roster;
  try {
    roster = read_roster(bytes, in_class);
  } catch (const NotARoster& e) {
    throw std::runtime_error("cannot read the roster " + file + ": " + e.what());
  }
  if (!roster.problems.empty()) {
    throw bad_rows(file, roster.problems);
  }
  std::vector<std::string> logins;
  for (const RosterLearner& learner : roster.learners) {
    logins.push_back(learner.login);
  }
  // The passwords are written down before the learners are committed: they
  // are shown nowhere else, and a learner whose password is lost is no use.
  const std::vector<classdb::NewLogin> added =
      server.add_learners(class_name, logins, [&](std::span<const classdb::NewLogin> new_logins) {
        std::vector<SignInCard> signs;
        for (size_t i = 0; i < new_logins.size(); ++i) {
          const RosterLearner& l = roster.learners[i];
          signs.push_back(
              {std::string(class_name), l.login, new_logins[i].password, l.number, l.name});
        }
        const std::string page = cards_page(signs, cards.address);
        if (card_file) {
          card_file->write(page);
        } else {
          print_cards(out, page);
        }
      });
  if (!card_file) {
    return;  // the standard output is the cards'
  }
  card_file->keep();
  out << "added " << added.size() << (added.size() == 1 ? " learner" : " learners") << " to class "
      << class_name << "; the sign-in cards, with the new passwords, are in " << card_file->name()
      << "\n";
  for (size_t i = 0; i < added.size(); ++i) {
    out << roster.learners[i].login << " logs in as " << added[i].role << "\n";
  }
}

void reset_password(classdb::ClassServer& server,
                    std::string_view class_name,
                    std::string_view learner,
                    const std::optional<CardsTo>& cards,
                    std::ostream& out) {
  std::optional<CardFile> card_file;
  if (cards) {
    card_file.emplace(cards->file);
  }
  const classdb::NewLogin login = server.reset_password(class_name, learner);
  if (!card_file) {
    out << login.password << "\n";
    return;
  }
  // Neither 出席番号 nor 氏名 is kept on the server.
  const SignInCard card{std::string(class_name), std::string(learner), login.password, 0, ""};
  try {
    card_file->write(cards_page(std::span(&card, 1), cards->address));
    card_file->keep();
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(std::string(e.what()) + "; the old password no longer works: run " +
                             "reset-password again");
  }
  out << learner << " of class " << class_name << " has a new password; its sign-in card is in "
      << card_file->name() << "\n";
}

void remove_learner(classdb::ClassServer& server,
                    std::string_view class_name,
                    std::string_view learner,
                    std::ostream& out) {
  const classdb::RemovedLearner removed = server.remove_learner(class_name, learner);
  out << "removed " << learner << " from class " << class_name << ": its login " << removed.role
      << " is gone; ";
  if (removed.blocks_kept == 0) {
    out << "it had sent no block\n";
  } else {
    out << "its " << removed.blocks_kept
        << (removed.blocks_kept == 1 ? " block stays" : " blocks stay")
        << " on the server, where only the administrator reads "
        << (removed.blocks_kept == 1 ? "it" : "them") << "\n";
  }
}

}  // namespace tutor::teacher
