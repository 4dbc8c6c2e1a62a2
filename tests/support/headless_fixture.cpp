#include "tests/support/headless_fixture.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include <fstream>
#include <sstream>

#include "console/compositor.h"
#include "console/png.h"
#include "console/ttf_glyphs.h"

namespace tutor::testing {
namespace {

std::filesystem::path fresh_root() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tutor-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a temporary folder");
  }
  return pattern;
}

}  // namespace

HeadlessTest::HeadlessTest(std::string program)
    : root_(fresh_root()), backend_(root_), con_(backend_, std::move(program)) {
  std::filesystem::create_directories(root_ / "M0" / "data");
  std::filesystem::create_directories(root_ / "M1");
  write_records(kStartingRecords);
  // Settings a program keeps (the word course's romaji) stay in the tree.
  ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
}

HeadlessTest::~HeadlessTest() {
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

void HeadlessTest::TearDown() {
  if (!HasFailure()) {
    return;
  }
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::create_directories("test-pictures");
  const auto file = std::filesystem::path("test-pictures") /
                    (std::string(info->test_suite_name()) + "." + info->name() + ".png");
  std::unique_ptr<TtfGlyphs> glyphs;
  if (const auto font = find_console_font()) {
    glyphs = TtfGlyphs::open(*font, 16);
  }
  Picture picture;
  compose(con_.screen(), 1, glyphs.get(), picture);
  if (write_png(picture, file)) {
    std::cerr << "screen saved as " << std::filesystem::absolute(file) << "\n";
  }
}

std::string joined(std::span<const std::string_view> lines, size_t count) {
  std::string all;
  for (auto line : lines.first(std::min(count, lines.size()))) {
    all += line;
  }
  return all;
}

void HeadlessTest::type_block(std::span<const std::string_view> lines,
                              int seconds,
                              size_t skip,
                              const std::function<void()>& before_last) {
  const std::string all = joined(lines);
  script().type(all.substr(skip, all.size() - 1 - skip)).wait(seconds);
  if (before_last) {
    script().inspect(before_last);
  }
  script().type(all.substr(all.size() - 1));
}

Outcome HeadlessTest::run(const std::function<void(Console&)>& program) {
  return run_headless(con_, program);
}

std::string HeadlessTest::record(std::string_view name) const {
  return contents_of(root_ / "M0" / "data" / name);
}

std::string contents_of(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    return "(missing)";
  }
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void HeadlessTest::write_record(std::string_view name, std::string_view contents) const {
  std::ofstream(root_ / "M0" / "data" / name, std::ios::binary) << contents;
}

Records HeadlessTest::records() const {
  Records all;
  for (const auto& [name, value] : kStartingRecords) {
    all[name] = record(name);
  }
  return all;
}

void HeadlessTest::write_records(const Records& all) const {
  for (const auto& [name, value] : all) {
    write_record(name, value);
  }
}

void HeadlessTest::remove_record(std::string_view name) const {
  std::filesystem::remove(root_ / "M0" / "data" / name);
}

std::string HeadlessTest::text(Cell at, int width) const {
  return con_.screen().text.text_at(at, width);
}

int HeadlessTest::pixel(DesignPoint p) const {
  return con_.screen().graphics.at(to_pixels(p)).index();
}

FullDisk::FullDisk() {
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  saved_limit_ = limit.rlim_cur;
  limit.rlim_cur = 0;
  std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending the process
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

FullDisk::~FullDisk() {
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = saved_limit_;
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

std::vector<std::string> files_in(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string as_shown(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    if (text.substr(i, 3) == "\u3000") {
      out += "  ";
      i += 3;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string started(const Outcome& o) {
  if (const auto* s = std::get_if<ProgramStarted>(&o)) {
    return s->path;
  }
  return "";
}

bool ended(const Outcome& o) {
  return std::holds_alternative<ProgramEnded>(o);
}

bool ran_out_of_script(const Outcome& o) {
  return std::holds_alternative<ScriptExhausted>(o);
}

Point centre_of(Rect r) {
  return {(r.x1 + r.x2) / 2, pixel_y((r.y1 + r.y2) / 2)};
}

EdgePoints edge_points(Rect r) {
  const int top = (9 * r.y1 + 7) / 8;  // the first row at or below y1*Q
  const int bottom = 9 * r.y2 / 8;     // the last row at or above y2*Q
  const Point mid = {(r.x1 + r.x2) / 2, (top + bottom) / 2};
  return {{{{r.x1, top}, {r.x2, top}, {r.x1, bottom}, {r.x2, bottom}}},
          {{{r.x1 - 1, mid.y}, {r.x2 + 1, mid.y}, {mid.x, top - 1}, {mid.x, bottom + 1}}}};
}

}  // namespace tutor::testing
