// The frames the headless console draws for a few scripted scenes, composed
// at the surface's own size with the console font and written as PPM files,
// for the web edition's test to compare its canvas with, pixel for pixel.
//   web_reference_frames FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "console/compositor.h"
#include "console/headless.h"
#include "console/ttf_glyphs.h"
#include "console/viewport.h"
#include "tests/support/programs.h"

namespace {

using namespace tutor;

struct Scene {
  const char* name;
  const char* program;                  // its stored path
  std::function<void(Script&)> script;  // the input, the same as the web test's
};

const std::vector<Scene>& scenes() {
  static const std::vector<Scene> all = {
      {"launcher", "./Velmora.exe", [](Script&) {}},
      {"ostrin-typing", "././M1/Ostrin.exe",
       [](Script& s) { s.key("x").type("FFJJ FJ").key("q"); }},
  };
  return all;
}

bool write_ppm(const Picture& picture, const std::filesystem::path& file) {
  std::ofstream out(file, std::ios::binary);
  out << "P6\n" << picture.width << " " << picture.height << "\n255\n";
  for (const std::uint32_t pixel : picture.argb) {
    const char rgb[3] = {static_cast<char>((pixel >> 16) & 0xff),
                         static_cast<char>((pixel >> 8) & 0xff), static_cast<char>(pixel & 0xff)};
    out.write(rgb, 3);
  }
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc != 2) {
    std::fprintf(stderr, "usage: web_reference_frames FOLDER\n");
    return 2;
  }
  const fs::path folder = argv[1];
  fs::create_directories(folder);
  const auto font = find_console_font();
  std::unique_ptr<TtfGlyphs> glyphs = font ? TtfGlyphs::open(*font, 16) : nullptr;
  if (!glyphs) {
    std::fprintf(stderr, "no console font\n");
    return 1;
  }
  for (const Scene& scene : scenes()) {
    // A new learner's tree, as the page lays it out.
    const fs::path tree = fs::temp_directory_path() / ("velmora-frames-" + std::string(scene.name));
    fs::remove_all(tree);
    fs::create_directories(tree / "M0/data");
    for (const auto& [file, line] : {std::pair{"step.TXT", "1"},
                                     {"RANK.TXT", "1"},
                                     {"SUU.TXT", "未 達 成"},
                                     {"KIGO.TXT", "未 達 成"},
                                     {"SFT.TXT", "0"}}) {
      std::ofstream(tree / "M0/data" / file) << line << "\n";
    }
    HeadlessBackend backend(tree);
    scene.script(backend.script());
    const testing::Program& program = testing::programs().at(scene.program);
    Console con(backend, std::string(program.name));
    const Outcome outcome = run_headless(con, program.run);
    if (!std::holds_alternative<ScriptExhausted>(outcome)) {
      std::fprintf(stderr, "%s: the scene did not end waiting for input\n", scene.name);
      return 1;
    }
    // At the surface's own size, as a page in fullscreen draws it a quarter
    // step larger, and as a screen of twice the page's pixels has it.
    for (const auto& [w, h] : {std::pair{640, 450}, {800, 563}, {1280, 900}}) {
      Picture picture;
      compose(con.screen(), Viewport::fitting(w, h), glyphs.get(), picture);
      const std::string file = std::string(scene.name) +
                               (w == 640 ? "" : "-" + std::to_string(w) + "x" + std::to_string(h)) +
                               ".ppm";
      if (!write_ppm(picture, folder / file)) {
        std::fprintf(stderr, "%s: cannot write the frame\n", scene.name);
        return 1;
      }
    }
    fs::remove_all(tree);
  }
  return 0;
}
