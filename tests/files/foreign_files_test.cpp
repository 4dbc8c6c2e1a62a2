// The files the tutor keeps beside the records (the window settings, the
// glyph cache, the progress history) may be anything on a learner's machine: a
// link to their notes, a link to nowhere, a FIFO, a folder, a device. Each is
// left exactly as it is, nothing waits on it, and the tutor carries on without.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "console/glyph_cache.h"
#include "console/window_settings.h"
#include "history/history.h"

namespace tutor {
namespace {

namespace fs = std::filesystem;

enum class Kind { LinkToNotes, DanglingLink, Fifo, Folder, LinkToZero };
constexpr Kind kKinds[] = {Kind::LinkToNotes, Kind::DanglingLink, Kind::Fifo, Kind::Folder,
                           Kind::LinkToZero};
constexpr std::string_view kNotes = "the learner's notes\n";

std::string contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A glyph of a few pixels, as a font would render one.
GlyphMask small_glyph() {
  GlyphMask m{8, 16, std::vector<std::uint8_t>(8 * 16, 0), {}};
  m.coverage[5 * 8 + 3] = 200;
  m.find_ink();
  return m;
}

class ForeignFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(root_);
    fs::create_directories(root_);
    std::ofstream(root_ / "notes.txt") << kNotes;
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
    ::alarm(60);  // a program that waits on a FIFO ends the test instead of hanging it
  }
  void TearDown() override {
    ::alarm(0);
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_CACHE_HOME");
    fs::remove_all(root_);
  }

  void make(Kind kind, const fs::path& at) const {
    fs::create_directories(at.parent_path());
    switch (kind) {
      case Kind::LinkToNotes:
        fs::create_symlink(root_ / "notes.txt", at);
        break;
      case Kind::DanglingLink:
        fs::create_symlink(root_ / "nowhere", at);
        break;
      case Kind::Fifo:
        ASSERT_EQ(::mkfifo(at.c_str(), 0644), 0);
        break;
      case Kind::Folder:
        fs::create_directory(at);
        break;
      case Kind::LinkToZero:
        fs::create_symlink("/dev/zero", at);
        break;
    }
  }

  // The place is as it was made, and what it leads to unchanged.
  void expect_untouched(Kind kind, const fs::path& at) const {
    const fs::file_type type = fs::symlink_status(at).type();
    switch (kind) {
      case Kind::LinkToNotes:
      case Kind::DanglingLink:
      case Kind::LinkToZero:
        EXPECT_EQ(type, fs::file_type::symlink);
        break;
      case Kind::Fifo:
        EXPECT_EQ(type, fs::file_type::fifo);
        break;
      case Kind::Folder:
        EXPECT_EQ(type, fs::file_type::directory);
        EXPECT_TRUE(fs::is_empty(at));
        break;
    }
    EXPECT_EQ(contents(root_ / "notes.txt"), kNotes);
    EXPECT_FALSE(fs::exists(root_ / "nowhere"));
  }

  const fs::path root_ = fs::temp_directory_path() / ("foreign-" + std::to_string(::getpid()));
};

TEST_F(ForeignFilesTest, AnythingButARegularFileIsLeftAloneAndNeverWaitedOn) {
  struct Place {
    const char* name;
    fs::path file;
    std::function<void(const fs::path&)> use;
  };
  const GlyphBox box{16, 8, 16};
  const Place places[] = {
      {"window settings", root_ / "config/velmora/window.conf",
       [](const fs::path&) {
         EXPECT_EQ(read_window_settings(), WindowSettings{});
         write_window_settings({1100, 700, 12, 30, false});
       }},
      {"glyph cache", *GlyphCacheFile::file_for("font"),
       [&](const fs::path&) {
         GlyphCacheFile cache("font");
         EXPECT_TRUE(cache.empty());
         cache.keep(U'A', box, small_glyph());
         EXPECT_FALSE(cache.find(U'A', box));
       }},
      {"progress history", root_ / "M0/data/progress.sqlite3",
       [](const fs::path& file) {
         history::HistoryWriter history(file);
         EXPECT_FALSE(history.keep(history::Mark{"2026-12-07T10:00:00+09:00", "x"}));
         EXPECT_EQ(history::read_history(file).status, history::HistoryRead::Status::Unreadable);
       }},
  };
  for (const Place& place : places) {
    for (const Kind kind : kKinds) {
      SCOPED_TRACE(std::string(place.name) + ", kind " + std::to_string(int(kind)));
      make(kind, place.file);
      place.use(place.file);
      expect_untouched(kind, place.file);
      fs::remove(place.file);
    }
  }
}

// Only a cache file that begins with a glyph record is ever cut back, and
// only the learner's own is used: a file of someone else's, or one that is no
// cache, is neither read as glyphs nor written.
TEST_F(ForeignFilesTest, TheGlyphCacheTouchesNoFileThatIsNotItsOwn) {
  const fs::path file = *GlyphCacheFile::file_for("font");
  const GlyphBox box{16, 8, 16};
  fs::create_directories(file.parent_path());
  const std::string not_a_cache = std::string(kNotes) + std::string(9 << 20, 'x');  // past the cap
  std::ofstream(file, std::ios::binary) << not_a_cache;
  {
    GlyphCacheFile cache("font");
    cache.keep(U'A', box, small_glyph());
  }
  EXPECT_EQ(contents(file), not_a_cache);

  fs::remove(file);
  { GlyphCacheFile("font").keep(U'A', box, small_glyph()); }
  const std::string kept = contents(file);
  EXPECT_TRUE(GlyphCacheFile("font").find(U'A', box));
  if (::geteuid() == 0) {  // root may hand the file to another user
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    GlyphCacheFile cache("font");
    EXPECT_FALSE(cache.find(U'A', box));
    cache.keep(U'B', box, small_glyph());
    EXPECT_EQ(contents(file), kept);
  }
}

}  // namespace
}  // namespace tutor
