#include "classweb/static_files.h"

#include <array>
#include <fstream>
#include <sstream>
#include <system_error>

namespace tutor::classweb {
namespace {

struct FileType {
  std::string_view ending;
  std::string_view type;
};
// .wasm as application/wasm: the page compiles the code as it arrives only so.
constexpr std::array<FileType, 9> kTypes = {{
    {".html", "text/html; charset=utf-8"},
    {".js", "text/javascript; charset=utf-8"},
    {".css", "text/css; charset=utf-8"},
    {".wasm", "application/wasm"},
    {".data", "application/octet-stream"},
    {".ttf", "font/ttf"},
    {".txt", "text/plain; charset=utf-8"},
    {".json", "application/json"},
    {".png", "image/png"},
}};

constexpr std::string_view kClassMark = "<meta name=\"velmora-class\" content=\"on\">\n";

http::Response not_found() {
  return http::Response{404, "text/plain; charset=utf-8", "no such file\n", {}};
}

}  // namespace

http::Response web_file(const std::filesystem::path& folder,
                        std::string_view name,
                        const http::Request& request) {
  if (name.empty()) {
    name = "index.html";
  }
  if (name.find('/') != std::string_view::npos || name.front() == '.' ||
      name.find('\0') != std::string_view::npos) {
    return not_found();
  }
  const FileType* type = nullptr;
  for (const FileType& t : kTypes) {
    if (name.ends_with(t.ending)) {
      type = &t;
    }
  }
  const std::filesystem::path file = folder / std::string(name);
  std::error_code ec;
  // A link is followed: the package's whole font is one to the system's.
  const auto status = std::filesystem::status(file, ec);
  if (type == nullptr || ec || !std::filesystem::is_regular_file(status)) {
    return not_found();
  }
  const auto size = std::filesystem::file_size(file, ec);
  const auto written = std::filesystem::last_write_time(file, ec);
  const std::string tag =
      "\"" + std::to_string(size) + "-" + std::to_string(written.time_since_epoch().count()) + "\"";
  if (request.header("If-None-Match") == tag) {
    return http::Response{304, std::string(type->type), "", {{"ETag", tag}}};
  }
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) {
    return not_found();
  }
  std::string body = bytes.str();
  if (name == "index.html") {
    const std::size_t head = body.find("<head>");
    if (head != std::string::npos) {
      body.insert(head + 6, "\n" + std::string(kClassMark));
    }
  }
  http::Response response{200, std::string(type->type), std::move(body), {}};
  response.with("ETag", tag).with("Cache-Control", "no-cache");
  return response;
}

}  // namespace tutor::classweb
