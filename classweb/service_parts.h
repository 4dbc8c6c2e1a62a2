#pragma once

// Inside classweb/ only: the answers the web service's parts share.

#include <string>
#include <string_view>

#include "http/http_server.h"

namespace tutor::classweb {

[[nodiscard]] inline http::Response text_response(int status, std::string text) {
  return http::Response{status, "text/plain; charset=utf-8", std::move(text), {}};
}
[[nodiscard]] inline http::Response html_response(int status, std::string page) {
  http::Response response{status, "text/html; charset=utf-8", std::move(page), {}};
  // Pages of a learner's or class's records are nobody else's to keep.
  return response.with("Cache-Control", "no-store");
}
[[nodiscard]] inline http::Response json_response(int status, std::string json) {
  http::Response response{status, "application/json", std::move(json), {}};
  return response.with("Cache-Control", "no-store");
}
[[nodiscard]] inline http::Response see_other(std::string where) {
  http::Response response{303, "text/plain; charset=utf-8", "", {}};
  return response.with("Location", std::move(where));
}

// {"error":"…"}
[[nodiscard]] std::string error_json(std::string_view words);
// Bytes as base64, for a file in JSON.
[[nodiscard]] std::string base64(std::string_view bytes);

}  // namespace tutor::classweb
