#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// What the class's web service (velmora-class serve) keeps on the class
// server: its sessions, the sign-in's checks and the files that follow a
// learner from browser to browser. See ClassServer for the calls.
namespace tutor::classdb {

// Whose password a sign-in checks: the learner of that name in the class,
// or a teacher of the class; none for a name the class does not know.
struct SignInTarget {
  std::optional<std::string> role;
  int recent_failures = 0;  // wrong passwords for the name in the last minute
};

// A session just opened by the role's own login.
struct OpenedSession {
  std::string token;  // the cookie's; the server keeps only its hash
  std::string csrf;   // what every request that changes something must send
};

// A signed-in browser's session, as the server finds it by its token.
struct WebSession {
  std::string role;
  std::string csrf;
  bool teacher = false;
  std::string class_name;  // a learner's class; empty for a teacher
  std::string name;        // the learner's name in its class, or the teacher's login
};

// One of a learner's files as the server keeps it.
struct LearnerFile {
  std::string path;  // in the learner's tree, "M0/data/step.TXT"
  std::string content;
  std::int64_t revision = 0;  // one more at each change
};

// The file to keep where a browser sends a change made to an older revision
// than the server's (another computer changed it since): from the path,
// what the server holds and what was sent.
using FileMerge =
    std::function<std::string(std::string_view path, std::string_view kept, std::string_view sent)>;

}  // namespace tutor::classdb
