#pragma once

#include <filesystem>

#include "console/compositor.h"

namespace tutor {

// Writes a picture as an uncompressed PNG, for the tests' pictures of failed
// screens; false when the file cannot be written.
[[nodiscard]] bool write_png(const Picture& picture, const std::filesystem::path& file);

}  // namespace tutor
