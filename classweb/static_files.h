#pragma once

#include <filesystem>
#include <string_view>

#include "http/http_server.h"

// The web edition's files as the class's service serves them under /tutor/.
namespace tutor::classweb {

// The file `name` of the folder (none but its own files, no folder in the
// name), with its type; index.html marked as a class's page, which makes it
// sign in (web/page/velmora-class.js). 404 where there is no such file; 304
// where the browser has this one.
[[nodiscard]] http::Response web_file(const std::filesystem::path& folder,
                                      std::string_view name,
                                      const http::Request& request);

}  // namespace tutor::classweb
