#pragma once

#include <string>
#include <string_view>

// The web service's own pages: the sign-in page, and the teacher's live page
// round the class's report.
namespace tutor::classweb {

// What the sign-in page says above its form.
enum class SignInNote {
  None,
  Refused,      // a wrong class, name or password: never which
  SlowDown,     // ten wrong in a minute for the name
  ServerAway,   // the class server cannot be reached
  SignedOut,    // after サインアウト
  SessionOver,  // 30 minutes unused, or signed in elsewhere since
};

// The page at "/": a form of the fields class, learner and password.
[[nodiscard]] std::string sign_in_page(SignInNote note,
                                       std::string_view class_name = "",
                                       std::string_view learner = "");

// The class's report page with what makes it live: a bar (the CSV, サインアウト)
// and a script that fetches the report anew when the class's blocks change.
[[nodiscard]] std::string live_report_page(std::string report_html,
                                           std::string_view class_name,
                                           std::string_view csrf);

// A short page for a refusal (a learner at a teacher's page, a class not taught).
[[nodiscard]] std::string refusal_page(std::string_view title, std::string_view words);

}  // namespace tutor::classweb
