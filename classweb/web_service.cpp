#include "classweb/web_service.h"

#include <algorithm>

#include "classweb/pages.h"
#include "classweb/service_parts.h"
#include "classweb/static_files.h"
#include "console/text.h"

namespace tutor::classweb {
namespace {

constexpr std::string_view kSessionCookie = "velmora_session";
constexpr std::string_view kTutorFolder = "/tutor/";
// The wrong passwords a name may be given in a minute before it must wait.
constexpr int kTriesAMinute = 10;

// A child's typing with the input method on: full-width letters, digits and
// signs as the ASCII they stand for, blanks round the whole dropped.
std::string as_typed(std::string_view text) {
  std::vector<char32_t> cps = decode_utf8(text);
  for (char32_t& c : cps) {
    if (c >= U'\uFF01' && c <= U'\uFF5E') {
      c = c - U'\uFF01' + U'!';
    } else if (c == U'\u3000') {
      c = U' ';
    }
  }
  std::string ascii = encode_utf8(cps);
  const std::size_t first = ascii.find_first_not_of(" \t\r\n");
  const std::size_t last = ascii.find_last_not_of(" \t\r\n");
  return first == std::string::npos ? "" : ascii.substr(first, last - first + 1);
}

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return text;
}

bool well_formed_token(std::string_view token) {
  return token.size() == 64 &&
         token.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

http::Response sign_in_answer(int status,
                              SignInNote note,
                              std::string_view class_name = "",
                              std::string_view learner = "") {
  return html_response(status, sign_in_page(note, class_name, learner));
}

}  // namespace

bool from_this_site(const http::Request& request) {
  const std::string site = request.header("Sec-Fetch-Site");
  if (!site.empty() && site != "same-origin" && site != "none") {
    return false;
  }
  const std::string origin = request.header("Origin");
  if (origin.empty()) {
    return true;
  }
  return origin == (request.secure ? "https://" : "http://") + request.header("Host");
}

WebService::WebService(ServiceSettings settings)
    : settings_(std::move(settings)), pool_(settings_.service) {}

std::string WebService::cookie(std::string_view name,
                               std::string_view value,
                               bool http_only,
                               bool ended) const {
  std::string c = std::string(name) + "=" + std::string(value) + "; Path=/; SameSite=Strict";
  c += http_only ? "; HttpOnly" : "";
  c += settings_.secure ? "; Secure" : "";
  c += ended ? "; Max-Age=0" : "";
  return c;
}

std::optional<classdb::WebSession> WebService::session_of(const http::Request& request) {
  const std::string token = request.cookie(kSessionCookie);
  if (!well_formed_token(token)) {
    return std::nullopt;
  }
  return pool_.with([&](classdb::ClassServer& server) { return server.web_session(token); });
}

http::Response WebService::handle(const http::Request& request) {
  const std::string& path = request.path;
  const bool get = request.method == "GET" || request.method == "HEAD";
  try {
    if (path == "/") {
      if (!get) {
        return text_response(405, "only GET here\n");
      }
      const SignInNote note = !request.param("out").empty()    ? SignInNote::SignedOut
                              : !request.param("over").empty() ? SignInNote::SessionOver
                                                               : SignInNote::None;
      return sign_in_answer(200, note);
    }
    if (path == "/sign-in") {
      return request.method == "POST" ? sign_in(request) : see_other("/");
    }
    if (path == "/sign-out") {
      return request.method == "POST" ? sign_out(request) : see_other("/");
    }
    if (path == "/tutor") {
      return see_other(std::string(kTutorFolder));
    }
    if (path.starts_with(kTutorFolder)) {
      return get ? web_file(settings_.web, path.substr(kTutorFolder.size()), request)
                 : text_response(405, "only GET here\n");
    }
    const bool api = path.starts_with("/api/");
    if (!api && !path.starts_with("/class/")) {
      return text_response(404, "no such page\n");
    }
    const std::optional<classdb::WebSession> session = session_of(request);
    if (!session) {
      return api ? json_response(401, R"({"error":"signed out"})")
                 : see_other(request.cookie(kSessionCookie).empty() ? "/" : "/?over=1");
    }
    if (request.method != "GET" && request.method != "HEAD" &&
        (!from_this_site(request) || request.header("X-Velmora-Csrf") != session->csrf)) {
      return json_response(403, R"({"error":"not from this site's page"})");
    }
    return session->teacher ? teacher_request(request, *session)
                            : learner_request(request, *session);
  } catch (const classdb::BlockRefused& e) {
    return json_response(400, error_json(e.what()));
  } catch (const classdb::BadName& e) {
    return json_response(400, error_json(e.what()));
  } catch (const classdb::ServerError& e) {
    return json_response(503, error_json(e.what()));
  }
}

http::Response WebService::sign_in(const http::Request& request) {
  if (!from_this_site(request)) {
    return text_response(403, "a sign-in is taken only from this site's own page\n");
  }
  const std::string class_name = as_typed(request.param("class"));
  const std::string learner = lower(as_typed(request.param("learner")));
  const std::string password = as_typed(request.param("password"));
  try {
    classdb::check_class_name(class_name);
    classdb::check_login_name(learner);
  } catch (const classdb::BadName&) {
    return sign_in_answer(401, SignInNote::Refused, class_name, learner);
  }
  try {
    const classdb::SignInTarget target = pool_.with(
        [&](classdb::ClassServer& server) { return server.sign_in_target(class_name, learner); });
    if (target.recent_failures >= kTriesAMinute) {
      return sign_in_answer(429, SignInNote::SlowDown, class_name, learner)
          .with("Retry-After", "60");
    }
    std::optional<classdb::OpenedSession> opened;
    try {
      if (!target.role) {
        classdb::ClassServer::refuse_unknown_name(settings_.service, password);
        throw classdb::WrongPassword("no such name");
      }
      opened = classdb::ClassServer::open_web_session(settings_.service, *target.role, password);
    } catch (const classdb::WrongPassword&) {
      pool_.with(
          [&](classdb::ClassServer& server) { server.note_sign_in_failure(class_name, learner); });
      return sign_in_answer(401, SignInNote::Refused, class_name, learner);
    }
    const std::optional<classdb::WebSession> session =
        pool_.with([&](classdb::ClassServer& server) { return server.web_session(opened->token); });
    if (!session) {
      return sign_in_answer(503, SignInNote::ServerAway, class_name, learner);
    }
    const std::string home = session->teacher ? "/class/" + class_name : std::string(kTutorFolder);
    return see_other(home).with("Set-Cookie", cookie(kSessionCookie, opened->token, true));
  } catch (const classdb::ServerError&) {
    return sign_in_answer(503, SignInNote::ServerAway, class_name, learner);
  }
}

http::Response WebService::sign_out(const http::Request& request) {
  // Checked before the session: another site's page may not even clear the cookie.
  if (!from_this_site(request)) {
    return text_response(403, "a sign-out is taken only from this site's own page\n");
  }
  const std::optional<classdb::WebSession> session = session_of(request);
  const bool from_page = !request.header("X-Velmora-Csrf").empty();
  if (session) {
    const std::string csrf = from_page ? request.header("X-Velmora-Csrf") : request.param("csrf");
    if (csrf != session->csrf) {
      return text_response(403, "a sign-out is taken only from this site's own page\n");
    }
    const std::string token = request.cookie(kSessionCookie);
    pool_.with([&](classdb::ClassServer& server) { server.end_web_session(token); });
  }
  http::Response response =
      from_page ? http::Response{204, "text/plain; charset=utf-8", "", {}} : see_other("/?out=1");
  return response.with("Set-Cookie", cookie(kSessionCookie, "", true, true));
}

}  // namespace tutor::classweb
