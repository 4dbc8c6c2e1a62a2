#include <cstdlib>

#include "console/ttf_glyphs.h"

namespace tutor {

// The page loads its font to this path before the first program starts.
std::optional<std::filesystem::path> find_console_font() {
  if (const char* chosen = std::getenv("VELMORA_FONT"); chosen != nullptr && *chosen != '\0') {
    return std::filesystem::path(chosen);
  }
  return std::filesystem::path("/fonts/velmora-gothic.ttf");
}

}  // namespace tutor
