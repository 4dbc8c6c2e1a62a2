#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "classdb/class_report.h"
#include "classdb/web_access.h"
#include "history/history.h"

// The class server: the school's PostgreSQL database that every learner's
// blocks go to and that the teachers read. Only this room speaks SQL to it.
namespace tutor::classdb {

// A block of the local history's outbox on its way to the class server: its
// uid is the server's key; its id here is not sent.
using OutgoingBlock = history::WaitingBlock;

// Thrown for anything the server or the connection refuses; what() is one line.
struct ServerError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The server refused a block for what it holds (a time, a count or a text
// no block can have): sent again, it would be refused again.
struct BlockRefused : ServerError {
  using ServerError::ServerError;
};

// What init runs where a superuser runs it, and only a superuser may: large
// objects, which no limit bounds, made by nobody but a superuser.
inline constexpr std::string_view kCloseLargeObjects =
    "REVOKE EXECUTE ON FUNCTION lo_create(oid), lo_creat(integer), lo_from_bytea(oid, bytea) "
    "FROM PUBLIC";

// A login refused for its password (or a name no login has): said the same
// way for both, so that nobody learns which names there are.
struct WrongPassword : ServerError {
  using ServerError::ServerError;
};

// A class or login name the class server does not take; what() says what is allowed.
struct BadName : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

// A pass mark as a class keeps it, "KANA_PER_MIN:PERCENT" (1-600, 1-100),
// from "20:90" or "20" (85 %); throws BadName for anything else.
[[nodiscard]] std::string checked_pass_mark(std::string_view text);

// Class names: 1-20 ASCII letters, digits, '-', '_' or '.', starting with a letter or digit.
void check_class_name(std::string_view name);
// Learner and teacher names, the login roles: 1-32 lower-case ASCII letters,
// digits or '_', starting with a letter, not starting with "pg_".
void check_login_name(std::string_view name);

// A ~/.pgpass line, each field escaped as libpq reads them (':' and '\').
[[nodiscard]] std::string pgpass_line(std::string_view host,
                                      std::string_view port,
                                      std::string_view dbname,
                                      std::string_view user,
                                      std::string_view password);

// The schema's versions before and after `init`; 0 is a database without it.
// What init leaves for the administrator to do: where learners may still make
// large objects (only a superuser may stop that), how many learners still
// log in by their names (new-login gives them logins that tell nothing), and
// how many rows no block can have it moved to refused_blocks.
struct SchemaChange {
  int from = 0;
  int to = 0;
  bool large_objects_open = false;
  int named_logins = 0;
  long long blocks_refused = 0;  // kept before blocks were checked, moved out of blocks
  friend bool operator==(const SchemaChange&, const SchemaChange&) = default;
};

// A login role just made, with its new password and the ~/.pgpass line that
// logs it in to this server and database. A learner's role has a random
// name (every login may read every role's name): its computer's service
// group names it as user.
struct NewLogin {
  std::string role;
  std::string password;
  std::string pgpass_line;
};

// What remove_learner did: the login role that went, and its blocks left
// for the administrator.
struct RemovedLearner {
  std::string role;
  long long blocks_kept = 0;
};

struct AddedTeacher {
  std::optional<NewLogin> login;  // when the role had to be made
  bool was_teaching = false;      // already a teacher of the class: nothing changed
};

// A connection to the class server through a libpq service, password from
// ~/.pgpass as libpq reads it. A moved-from ClassServer may only be assigned
// to or destroyed.
class ClassServer {
 public:
  // Connects with connect_timeout (seconds); throws ServerError.
  static ClassServer connect(std::string_view service = "velmora", int connect_timeout_s = 5);

  ClassServer(ClassServer&&) noexcept;
  ClassServer& operator=(ClassServer&&) noexcept;
  ~ClassServer();

  // Sends blocks in one transaction, each kept once however often it is sent
  // (the uid is the key): a block already there is skipped. Returns normally
  // only once committed. Throws BlockRefused where the server refused one of
  // them for its content, ServerError for anything else.
  void send(std::span<const OutgoingBlock> blocks);

  // The administrator's side. The role that runs init owns the schema and is
  // the only one that may change or delete blocks; it needs CREATEROLE for
  // the rest. Each is one transaction; each throws ServerError, the adders
  // BadName too.

  // Creates the schema in an empty database, or brings an older one up to date.
  SchemaChange init();
  // A class: a role its learners are members of and one its teachers are.
  void add_class(std::string_view class_name);
  // A learner of the class: a new login role with a random name and password.
  NewLogin add_learner(std::string_view class_name, std::string_view learner);
  // The learner's login renamed at random with a new password: the old name
  // and password stop working; its blocks stay its own.
  NewLogin renew_login(std::string_view class_name, std::string_view learner);
  // Learners of the class, each added as add_learner adds one, all in one
  // transaction; their logins come in the order of the names. `keep` is
  // given them before they are committed, to write the new passwords down:
  // where it throws, or a name is already in the class, none is added.
  std::vector<NewLogin> add_learners(std::string_view class_name,
                                     std::span<const std::string> learners,
                                     const std::function<void(std::span<const NewLogin>)>& keep);
  // The names of the class's learners, in order.
  std::vector<std::string> learner_names(std::string_view class_name);
  // A new random password for the learner's login; the role's name, and so
  // its blocks, stay as they are.
  NewLogin reset_password(std::string_view class_name, std::string_view learner);
  // The learner's login role dropped and its row of learners deleted. Its
  // blocks stay, for the administrator: a teacher sees only the blocks of
  // the learners there are.
  RemovedLearner remove_learner(std::string_view class_name, std::string_view learner);
  // The most blocks one learner may send in a day, set to `most` where given.
  int blocks_a_day(std::optional<int> most = std::nullopt);
  // Makes a login role a teacher of the class, making the role if there is none.
  AddedTeacher add_teacher(std::string_view class_name, std::string_view teacher);

  // The teacher's side: a class's learners and the sums of their blocks, in
  // one snapshot. Only a teacher of the class or the administrator may make
  // it; anyone else is refused (ServerError), and a bad name is BadName.
  ClassReport class_report(std::string_view class_name, const ReportPeriod& period);
  // The classes the connected role teaches, by name.
  std::vector<std::string> classes_taught();

  // The word course's pass mark of a class ("20:90"), set by one of its
  // teachers or the administrator; none clears it. Returns the mark now.
  std::optional<std::string> pass_mark(std::string_view class_name,
                                       std::optional<std::optional<std::string>> set = {});
  // The learner's side: its class's pass mark, where it has one class with one.
  std::optional<std::string> own_class_pass_mark();

  // The web service's side, as one of its logins (web_logins), which by
  // itself reads and writes nothing: it signs a role in and then acts as it.

  // Makes `role` (or makes the role there is) a login of the web service:
  // NOINHERIT, allowed the service's functions and SET ROLE to every
  // learner and teacher. Returns its new login where it had to be made.
  std::optional<NewLogin> add_web_login(std::string_view role);
  // Checks a password by logging in as `role` through the service, and
  // opens a session as that login. Throws WrongPassword, or ServerError
  // where the server cannot be reached.
  static OpenedSession open_web_session(std::string_view service,
                                        std::string_view role,
                                        std::string_view password,
                                        int connect_timeout_s = 5);
  // Spends as long as a wrong password does, for a name no login has.
  static void refuse_unknown_name(std::string_view service,
                                  std::string_view password,
                                  int connect_timeout_s = 5);
  SignInTarget sign_in_target(std::string_view class_name, std::string_view name);
  void note_sign_in_failure(std::string_view class_name, std::string_view name);
  // The session of a token used within the last 30 minutes, marked used.
  std::optional<WebSession> web_session(std::string_view token);
  void end_web_session(std::string_view token);
  // Every call after act_as runs as that role, under its row-level
  // security, until act_as_self.
  void act_as(std::string_view role);
  void act_as_self();

  // The learner's side, acted as.
  std::vector<LearnerFile> learner_files();
  // Keeps a file sent from a browser that last had `base_revision` of it (0
  // for none): as sent where nothing changed it since, else as `merge` makes it.
  // Returns the file as kept.
  LearnerFile keep_learner_file(std::string_view path,
                                std::int64_t base_revision,
                                std::string_view content,
                                const FileMerge& merge);
  // Blocks as a browser sends them, a JSON array of objects with the sent
  // columns by name, all kept or none: BlockRefused for anything no block
  // can have (malformed, an unknown field, a count, a time). Returns how
  // many were new.
  int send_blocks_json(std::string_view json);
  // The teacher's side, acted as: the class's learners added from a
  // roster, each with a random login and password (no ~/.pgpass line: they
  // sign in at the browser), all or none.
  std::vector<NewLogin> add_learners_taught(std::string_view class_name,
                                            std::span<const std::string> learners);
  // What changes when a block of the class
  // comes (their count and the latest's arrival), to know when to make the
  // report anew.
  std::string class_state(std::string_view class_name);

  struct Connection;  // the pqxx connection, known only inside classdb/

 private:
  explicit ClassServer(std::unique_ptr<Connection> connection);
  void send_in_one_transaction(std::span<const OutgoingBlock> blocks);
  std::unique_ptr<Connection> connection_;
};

}  // namespace tutor::classdb
