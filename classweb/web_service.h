#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "classdb/web_access.h"
#include "classweb/connection_pool.h"
#include "http/http_server.h"

// The class's web service: the sign-in page, the tutor's files for a
// signed-in learner with the files and blocks it keeps on the class server,
// and a teacher's live report. Everything it knows is on the class server,
// so any number of instances may serve one school.
namespace tutor::classweb {

struct ServiceSettings {
  std::string service = "velmora";  // the libpq service of the class server
  std::filesystem::path web;        // the web edition's files
  bool secure = false;              // served over HTTPS: cookies are Secure
};

class WebService {
 public:
  explicit WebService(ServiceSettings settings);
  http::Response handle(const http::Request& request);

 private:
  http::Response sign_in(const http::Request& request);
  http::Response sign_out(const http::Request& request);
  http::Response learner_request(const http::Request& request, const classdb::WebSession& session);
  http::Response teacher_request(const http::Request& request, const classdb::WebSession& session);
  http::Response add_roster(const http::Request& request,
                            const classdb::WebSession& session,
                            const std::string& class_name);
  [[nodiscard]] std::optional<classdb::WebSession> session_of(const http::Request& request);
  [[nodiscard]] std::string cookie(std::string_view name,
                                   std::string_view value,
                                   bool http_only,
                                   bool ended = false) const;

  ServiceSettings settings_;
  ConnectionPool pool_;
};

// Whether a request that changes something comes from a page of this site:
// its Origin (or the browser's Sec-Fetch-Site) says so, or it has neither,
// as a program's request has not.
[[nodiscard]] bool from_this_site(const http::Request& request);

}  // namespace tutor::classweb
