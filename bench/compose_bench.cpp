// Time to compose one frame of the real window (graphics and text planes into
// the picture shown) at each whole scale: what a keystroke costs on screen
// beyond the drill engine's own work.
//
//   compose_bench [frames]

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "console/compositor.h"
#include "console/headless.h"
#include "console/ttf_glyphs.h"
#include "course/course.h"

namespace {

double seconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  // The introduction's drill screen, a few keys in: keyboard, strip, counter.
  tutor::HeadlessBackend backend(std::filesystem::temp_directory_path());
  tutor::Console con(backend, "Ostrin");
  backend.script().key("x").type("FFJJ FJ");
  (void)tutor::run_headless(
      con, [](tutor::Console& c) { tutor::course::run_stage(c, tutor::course::kOstrin); });

  const auto font = tutor::find_console_font();
  auto glyphs = font ? tutor::TtfGlyphs::open(*font, 16) : nullptr;
  if (!glyphs) {
    std::fprintf(stderr, "no console font: frames composed without text\n");
  }
  for (int scale = 1; scale <= 3; ++scale) {
    tutor::Picture picture;
    tutor::compose(con.screen(), scale, glyphs.get(), picture);  // glyph cache warm
    const double start = seconds();
    for (int i = 0; i < frames; ++i) {
      tutor::compose(con.screen(), scale, glyphs.get(), picture);
    }
    std::printf("scale %d (%dx%d): %.2f ms a frame\n", scale, picture.width, picture.height,
                (seconds() - start) * 1e3 / frames);
  }
  return 0;
}
