// What a signed-in learner's page asks of the web service: who is signed
// in, the learner's files, and the blocks from the page's outbox.

#include <charconv>

#include "classweb/pages.h"
#include "classweb/record_merge.h"
#include "classweb/service_parts.h"
#include "classweb/web_service.h"
#include "history/block_json.h"

namespace tutor::classweb {
namespace {

using history::append_json_string;

std::string session_json(const classdb::WebSession& session,
                         const std::optional<std::string>& pass_mark) {
  std::string json = "{\"teacher\":false,\"learner\":";
  append_json_string(json, session.role);
  json += ",\"class\":";
  append_json_string(json, session.class_name);
  json += ",\"name\":";
  append_json_string(json, session.name);
  json += ",\"csrf\":";
  append_json_string(json, session.csrf);
  json += ",\"pass_mark\":";
  if (pass_mark) {
    append_json_string(json, *pass_mark);
  } else {
    json += "null";
  }
  return json + "}";
}

std::string files_json(const std::vector<classdb::LearnerFile>& files) {
  std::string json = "{\"files\":[";
  for (const classdb::LearnerFile& file : files) {
    json += json.back() == '[' ? "{\"path\":" : ",{\"path\":";
    append_json_string(json, file.path);
    json += ",\"revision\":" + std::to_string(file.revision) + ",\"content\":\"" +
            base64(file.content) + "\"}";
  }
  return json + "]}";
}

std::optional<std::int64_t> revision_of(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string error_json(std::string_view words) {
  std::string json = "{\"error\":";
  append_json_string(json, words);
  return json + "}";
}

std::string base64(std::string_view bytes) {
  static constexpr std::string_view kDigits =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t left = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group = group << 8 | (k < left ? static_cast<unsigned char>(bytes[i + k]) : 0U);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      out += k <= left ? kDigits[group >> (18 - 6 * k) & 63] : '=';
    }
  }
  return out;
}

http::Response WebService::learner_request(const http::Request& request,
                                           const classdb::WebSession& session) {
  const std::string& path = request.path;
  const std::string& method = request.method;
  if (path == "/api/session" && method == "GET") {
    const std::optional<std::string> mark = pool_.as(
        session.role, [](classdb::ClassServer& server) { return server.own_class_pass_mark(); });
    return json_response(200, session_json(session, mark));
  }
  if (path == "/api/files" && method == "GET") {
    return json_response(200, files_json(pool_.as(session.role, [](classdb::ClassServer& server) {
                           return server.learner_files();
                         })));
  }
  if (path == "/api/files" && method == "PUT") {
    const std::string file = request.param("path");
    const std::optional<std::int64_t> base = revision_of(request.param("base"));
    if (!follows_learner(file) || !base) {
      return json_response(400, error_json("not a file the class server keeps: " + file));
    }
    const classdb::LearnerFile kept = pool_.as(session.role, [&](classdb::ClassServer& server) {
      return server.keep_learner_file(file, *base, request.body, joined);
    });
    http::Response response{200, "application/octet-stream", kept.content, {}};
    return response.with("X-Velmora-Revision", std::to_string(kept.revision))
        .with("Cache-Control", "no-store");
  }
  if (path == "/api/blocks" && method == "POST") {
    if (!request.header("Content-Type").starts_with("application/json")) {
      return json_response(415, error_json("blocks are sent as application/json"));
    }
    const int kept = pool_.as(session.role, [&](classdb::ClassServer& server) {
      return server.send_blocks_json(request.body);
    });
    return json_response(200, "{\"kept\":" + std::to_string(kept) + "}");
  }
  if (path.starts_with("/class/")) {
    return html_response(403,
                         refusal_page("先生の ページです", "このページは 先生だけが 見られます。"));
  }
  return json_response(404, error_json("no such request"));
}

}  // namespace tutor::classweb
