#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <string>

#include "console/ttf_glyphs.h"

namespace tutor {
namespace {

constexpr const char* kPackagedFont = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

}  // namespace

std::optional<std::filesystem::path> find_console_font() {
  std::string family = "IPAGothic";
  std::error_code ec;
  if (const char* chosen = std::getenv("VELMORA_FONT"); chosen != nullptr && *chosen != '\0') {
    if (std::filesystem::is_regular_file(chosen, ec)) {
      return std::filesystem::path(chosen);
    }
    family = chosen;
  } else if (std::filesystem::is_regular_file(kPackagedFont, ec)) {
    // Where Debian installs IPAGothic: found without starting fontconfig,
    // which costs every program start a few milliseconds and a megabyte.
    return std::filesystem::path(kPackagedFont);
  }
  if (FcInit() == FcFalse) {
    return std::nullopt;
  }
  std::optional<std::filesystem::path> found;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
  if (pattern != nullptr) {
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
      FcChar8* file = nullptr;
      if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
        found = std::filesystem::path(reinterpret_cast<const char*>(file));
      }
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
  }
  return found;
}

}  // namespace tutor
