#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "console/colour.h"
#include "progress/progress_layout.h"
#include "tests/classdb/class_fixture.h"

namespace tutor::classdb {
namespace {

namespace fs = std::filesystem;
using testing::Ran;

constexpr std::string_view kScriptLesson = "<script>alert(1)</script>";
constexpr std::string_view kDroppingLesson = "'); DROP TABLE blocks; --";
constexpr std::string_view kFormulaLesson = "=HYPERLINK(\"x\")";

// Report times are read in Japan's time, whatever this machine's is.
constexpr const char* kReportZone = "JST-9";

// A block as a learner's computer sends it.
struct Sent {
  std::string ended_at;
  std::string program;
  int step = 1;
  int seconds = 60;
  std::string evaluation;
  std::string result = "pass";
  std::vector<history::KeyTally> keys = {};
  std::string lesson = "";
  std::string input = "";
  std::vector<history::KanaTally> kana = {};
};

std::string iso_utc(std::time_t t) {
  char text[32];
  std::tm tm{};
  gmtime_r(&t, &tm);
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return text;
}

std::string date_in_japan(std::time_t t) {
  char text[16];
  t += 9 * 3600;
  std::tm tm{};
  gmtime_r(&t, &tm);
  std::strftime(text, sizeof text, "%Y-%m-%d", &tm);
  return text;
}

std::string hex(Colour c) {
  char text[8];
  const Rgb rgb = kPalette[c.index()];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb.r, rgb.g, rgb.b);
  return text;
}

std::string read_file(const fs::path& file) {
  std::ostringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

// The browser the page is checked in: Debian's chromium, found on PATH.
std::string chromium() {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const fs::path candidate = fs::path(folder) / "chromium";
    if (::access(candidate.c_str(), X_OK) == 0) {
      return candidate.string();
    }
  }
  return "";
}

// Everything between <tag ...attribute...> and the next </tag>.
std::vector<std::string> elements(const std::string& dom, const std::string& open_tag) {
  std::vector<std::string> found;
  const std::string close = "</" + open_tag.substr(1, open_tag.find_first_of(" >") - 1) + ">";
  for (size_t at = dom.find(open_tag); at != std::string::npos; at = dom.find(open_tag, at + 1)) {
    found.push_back(dom.substr(at, dom.find(close, at) - at));
  }
  return found;
}

size_t count_of(const std::string& text, std::string_view part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

class ClassReportTest : public ClassServerTest {
 protected:
  ClassReportTest() {
    ClassServer admin = ClassServer::connect(testing::PgCluster::kAdminService);
    log_in("jiro", admin.add_learner("5-2", "jiro"));  // a learner with no block yet
    log_in("tanaka", *admin.add_teacher("5-3", "tanaka").login);
    ::setenv("TZ", kReportZone, 1);
    ::tzset();
  }
  ~ClassReportTest() override {
    ::unsetenv("TZ");
    ::tzset();
  }

  void send_as(std::string_view learner, const std::vector<Sent>& blocks) {
    std::vector<OutgoingBlock> outgoing;
    for (const Sent& s : blocks) {
      char uid[33];
      std::snprintf(uid, sizeof uid, "%032x", ++sent_);
      outgoing.push_back(
          {0, uid,
           history::BlockEntry{s.ended_at, s.program, s.step, s.seconds, 100, 2, s.evaluation,
                               s.result, s.keys, s.lesson, s.input, s.kana}});
    }
    ClassServer::connect(learner).send(outgoing);
  }

  [[nodiscard]] static Ran velmora_class(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {VELMORA_CLASS};
    argv.insert(argv.end(), args.begin(), args.end());
    return testing::run_command(argv);
  }

  unsigned sent_ = 0;
};

TEST_F(ClassReportTest, ATeacherSeesItsClassOnOnePageAndAsCsv) {
  const std::string browser = chromium();
  ASSERT_FALSE(browser.empty())
      << "chromium is not installed: the report's page is checked in a real browser "
         "(apt-get install chromium)";
  const std::time_t now = std::time(nullptr);
  const std::string this_week = iso_utc(now);
  // Keys A, S, D and F of the on-screen keyboard: missed 50%, 1%, 5% and 3%.
  const int a = 26, s = 27, d = 28, f = 29;
  send_as("hanako", {{"2026-11-02T23:30:00Z", "Ostrin", 2, 300, "85.0"},
                     {"2026-11-03T01:00:00Z", "Palvek", 1, 300, "70.0", "too slow"},
                     {"2026-11-03T23:30:00Z", "Mestra", 2, 300, "95.0", "pass", {{a, 10, 10, {}}}},
                     {"2026-11-05T01:00:00Z",
                      "Mestra",
                      3,
                      300,
                      "120.0",
                      "too many errors",
                      {{s, 99, 1, {}}, {d, 95, 5, {}}, {f, 97, 3, {{d, 3}}}}},
                     {"2026-11-05T02:00:00Z", "Mestra", 3, 300, "90.5"},
                     {"2026-11-06T01:00:00Z", "Zarbet", 1, 600, "612", "初段"},
                     {"2026-11-07T01:00:00Z", "Zarbet", 1, 600, "1,020", "２段"},
                     {"2026-11-08T01:00:00Z", "Zarbet", 1, 600, "-3", "０級"},
                     {"2026-11-09T01:00:00Z",
                      "Kotoba",
                      1,
                      200,
                      "60.0",
                      "pass",
                      {},
                      std::string(kScriptLesson),
                      "romaji",
                      {{"か", 10, 5}, {"し", 20, 1}}},
                     {this_week,
                      "Kotoba",
                      1,
                      200,
                      "55.0",
                      "pass",
                      {},
                      std::string(kDroppingLesson),
                      "romaji",
                      {{"か", 0, 1}}},
                     {this_week,
                      "Kotoba",
                      1,
                      100,
                      "40.0",
                      "pass",
                      {},
                      std::string(kFormulaLesson),
                      "kana",
                      {{"つ", 4, 0}}}});
  send_as("taro", {{"2026-11-10T01:00:00Z", "Ostrin", 1, 120, "70", "too slow"},
                   {"2026-11-10T02:00:00Z", "Quillon", 1, 120, "50.0"},
                   {"2026-11-11T01:00:00Z", "Tesmar", 1, 120, "45.0", "not yet"},
                   {this_week, "Brandel", 1, 180, "30", "new best", {{a, 5, 0, {}}}}});
  // Another class's misses are none of this class's.
  send_as("sato", {{this_week, "Ostrin", 1, 60, "80", "pass", {{s, 0, 50, {}}}}});

  const fs::path page = cluster_.folder() / "5-2.html";
  const Ran made = velmora_class({"--service", "suzuki", "report", "5-2", "--html", page});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out, "");

  // ---- The page as the browser reads it.
  const std::vector<std::string> browse = {
      browser, "--headless", "--no-sandbox", "--disable-gpu",
      "--user-data-dir=" + (cluster_.folder() / "browser").string()};
  auto with = [&](std::vector<std::string> args) {
    args.insert(args.begin(), browse.begin(), browse.end());
    args.push_back("file://" + page.string());
    return testing::run_command(args);
  };
  const Ran dumped = with({"--dump-dom"});
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  const std::string& dom = dumped.out;
  EXPECT_NE(dom.find("<html lang=\"ja\">"), std::string::npos) << dom.substr(0, 200);
  EXPECT_NE(dom.find("<h1>クラス 5-2 の練習の記録</h1>"), std::string::npos);
  EXPECT_NE(dom.find("学習者 3人"), std::string::npos);

  // A row per learner, by name, with the stage, the best grade and each
  // course's best and latest (best of the blocks not failed).
  const std::vector<std::string> rows = elements(dom, "<tr data-learner=");
  ASSERT_EQ(rows.size(), 3u) << dom;
  EXPECT_TRUE(rows[0].starts_with("<tr data-learner=\"hanako\">")) << rows[0];
  EXPECT_TRUE(rows[1].starts_with("<tr data-learner=\"jiro\">")) << rows[1];
  EXPECT_TRUE(rows[2].starts_with("<tr data-learner=\"taro\">")) << rows[2];
  EXPECT_NE(rows[0].find("<td class=\"stage\">中級編 3</td>"), std::string::npos) << rows[0];
  EXPECT_NE(rows[0].find("<td class=\"test\">２段 <span class=\"points\">1,020点</span>"),
            std::string::npos)
      << rows[0];
  EXPECT_NE(rows[2].find("<td class=\"stage\">導入編 1</td>"), std::string::npos) << rows[2];
  const std::string this_day = date_in_japan(now);
  const std::string today = std::to_string(std::stoi(this_day.substr(5, 2))) + "/" +
                            std::to_string(std::stoi(this_day.substr(8, 2)));
  auto figure = [](std::string_view which, std::string_view value, const std::string& date) {
    return "<div class=\"figure\">" + std::string(which) + " <b>" + std::string(value) +
           "</b> <span class=\"date\">" + date + "</span></div>";
  };
  const std::vector<std::vector<std::string>> courses = {
      // hanako: 基本 (the best of 23:30 UTC on the 3rd, the 4th in Japan),
      // the two word courses with their lessons; taro: the rest, his staged
      // course and symbol keys failed.
      {figure("最高", "95.0", "11/4") + figure("最新", "90.5", "11/5"), "―", "―", "―",
       figure("最高", "60.0", "11/9") +
           "<div class=\"lesson\">&lt;script&gt;alert(1)&lt;/script&gt;</div>" +
           figure("最新", "55.0", today) + "<div class=\"lesson\">'); DROP TABLE blocks; --</div>",
       figure("最高", "40.0", today)},
      {"―", "―", "―", "―", "―", "―"},
      {"<div class=\"figure\">最高 <span class=\"none\">合格なし</span></div>" +
           figure("最新", "70", "11/10"),
       figure("最高", "50.0", "11/10"),
       "<div class=\"figure\">最高 <span class=\"none\">合格なし</span></div>" +
           figure("最新", "45.0", "11/11"),
       figure("最高", "30", today), "―", "―"},
  };
  for (size_t r = 0; r < rows.size(); ++r) {
    const std::vector<std::string> cells = elements(rows[r], "<td class=\"course\">");
    ASSERT_EQ(cells.size(), courses[r].size()) << rows[r];
    for (size_t c = 0; c < cells.size(); ++c) {
      EXPECT_NE(cells[c].find(courses[r][c]), std::string::npos)
          << "row " << r << ", course " << c << ": " << cells[c];
    }
  }
  EXPECT_NE(rows[0].find("<td class=\"number\">5分</td><td class=\"number\">1時間3分</td>"
                         "<td class=\"number\">11</td>"),
            std::string::npos)
      << rows[0];
  EXPECT_NE(rows[1].find("<td class=\"number\">0分</td><td class=\"number\">0分</td>"
                         "<td class=\"number\">0</td>"),
            std::string::npos)
      << rows[1];

  // The learners' texts are text, never markup.
  EXPECT_EQ(count_of(dom, "&lt;script&gt;alert(1)&lt;/script&gt;"), 1u);
  EXPECT_EQ(dom.find("<script"), std::string::npos);
  EXPECT_EQ(everything("SELECT count(*) > 0 FROM blocks"), "t\n");

  // The keyboard: a face per key, coloured by the class's miss rate.
  const std::vector<std::string> keys = elements(dom, "<rect data-key=");
  EXPECT_EQ(keys.size(), 51u);
  auto face_of = [&](int key) {
    const std::regex fill("<rect data-key=\"" + std::to_string(key) +
                          "\"[^>]* fill=\"(#[0-9a-f]{6})\"");
    std::smatch m;
    return std::regex_search(dom, m, fill) ? m[1].str() : "(no key " + std::to_string(key) + ")";
  };
  EXPECT_EQ(face_of(a), hex(progress::kMissBands[3].face));  // 10 of 25 missed
  EXPECT_EQ(face_of(s), hex(progress::kMissBands[0].face));  // sato's misses not counted
  EXPECT_EQ(face_of(d), hex(progress::kMissBands[2].face));
  EXPECT_EQ(face_of(f), hex(progress::kMissBands[1].face));
  EXPECT_EQ(face_of(1), hex(progress::kUntypedFace));
  // The kana missed most: か 6 of 16, し 1 of 21; つ never missed.
  const std::vector<std::string> kana = elements(dom, "<td class=\"kana\">");
  ASSERT_EQ(kana.size(), 2u) << dom;
  EXPECT_EQ(kana[0], "<td class=\"kana\">か");
  EXPECT_NE(dom.find("か</td><td class=\"number\">6</td><td class=\"number\">16</td>"
                     "<td class=\"number\">37.5%</td>"),
            std::string::npos);
  EXPECT_EQ(kana[1], "<td class=\"kana\">し");

  // A speed chart for each learner with blocks.
  const std::vector<std::string> charts = elements(dom, "<figure data-learner=");
  ASSERT_EQ(charts.size(), 3u);
  EXPECT_EQ(count_of(charts[0], "<polyline"), 1u) << charts[0];
  EXPECT_EQ(count_of(charts[1], "<polyline"), 0u) << charts[1];
  EXPECT_EQ(count_of(charts[2], "<polyline"), 1u) << charts[2];
  EXPECT_EQ(count_of(charts[2], "<circle"), 3u) << charts[2];  // three days of taro's

  // The page as it looks, kept as the test's picture.
  fs::create_directories("test-pictures");
  const fs::path picture = fs::absolute("test-pictures/ClassReport.png");
  fs::remove(picture);
  const Ran shot = with({"--screenshot=" + picture.string(), "--window-size=1400,1000"});
  EXPECT_EQ(shot.status, 0) << shot.err;
  EXPECT_GT(fs::exists(picture) ? fs::file_size(picture) : 0, 10'000u);

  // ---- The same table as CSV, from the teacher and from the administrator.
  const Ran csv = velmora_class({"--service", "suzuki", "report", "5-2", "--csv"});
  ASSERT_EQ(csv.status, 0) << csv.err;
  const std::string today_iso = date_in_japan(now);
  auto row = [](std::vector<std::string> fields) {
    std::string line;
    for (const std::string& field : fields) {
      line += (line.empty() ? "" : ",") + field;
    }
    return line + "\r\n";
  };
  const std::vector<std::string> none(4, "");
  auto course = [](std::string best, std::string best_date, std::string latest,
                   std::string latest_date) {
    return std::vector<std::string>{best, best_date, latest, latest_date};
  };
  auto join = [](std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) {
      all.insert(all.end(), part.begin(), part.end());
    }
    return all;
  };
  const std::string formula = "\"'=HYPERLINK(\"\"x\"\")\"";
  const std::string expected =
      row({"learner",
           "stage",
           "stage_step",
           "test_grade",
           "test_points",
           "test_date",
           "basic_best",
           "basic_best_date",
           "basic_latest",
           "basic_latest_date",
           "numbers_best",
           "numbers_best_date",
           "numbers_latest",
           "numbers_latest_date",
           "symbols_best",
           "symbols_best_date",
           "symbols_latest",
           "symbols_latest_date",
           "shift_best",
           "shift_best_date",
           "shift_latest",
           "shift_latest_date",
           "words_romaji_best",
           "words_romaji_best_date",
           "words_romaji_best_lesson",
           "words_romaji_latest",
           "words_romaji_latest_date",
           "words_romaji_latest_lesson",
           "words_kana_best",
           "words_kana_best_date",
           "words_kana_best_lesson",
           "words_kana_latest",
           "words_kana_latest_date",
           "words_kana_latest_lesson",
           "seconds_this_week",
           "seconds",
           "blocks"}) +
      row(join({{"hanako", "中級編", "3", "２段", "\"1,020\"", "2026-11-07"},
                course("95.0", "2026-11-04", "90.5", "2026-11-05"),
                none,
                none,
                none,
                {"60.0", "2026-11-09", "<script>alert(1)</script>", "55.0", today_iso,
                 "'); DROP TABLE blocks; --"},
                {"40.0", today_iso, formula, "40.0", today_iso, formula},
                {"300", "3800", "11"}})) +
      row(join({{"jiro"}, std::vector<std::string>(33, ""), {"0", "0", "0"}})) +
      row(join({{"taro", "導入編", "1", "", "", ""},
                course("", "", "70", "2026-11-10"),
                course("50.0", "2026-11-10", "50.0", "2026-11-10"),
                course("", "", "45.0", "2026-11-11"),
                course("30", today_iso, "30", today_iso),
                std::vector<std::string>(12, ""),
                {"180", "540", "4"}}));
  EXPECT_EQ(csv.out, expected);
  const fs::path csv_file = cluster_.folder() / "5-2.csv";
  const Ran by_admin = velmora_class({"report", "--csv", "5-2", csv_file.string()});
  EXPECT_EQ(by_admin.status, 0) << by_admin.err;
  EXPECT_EQ(read_file(csv_file), expected);

  // ---- Whoever teaches not the class is refused in one line, and nothing is written.
  const fs::path elsewhere = cluster_.folder() / "refused.html";
  for (const auto& [who, class_name, why] :
       {std::tuple{"tanaka", "5-2", "tanaka teaches no class \"5-2\""},
        std::tuple{"hanako", "5-2", "hanako teaches no class \"5-2\""},
        std::tuple{"suzuki", "5-9", "suzuki teaches no class \"5-9\""},
        std::tuple{"velmora", "5-9", "there is no class \"5-9\""}}) {
    const Ran refused =
        velmora_class({"--service", who, "report", class_name, "--html", elsewhere.string()});
    EXPECT_EQ(refused.status, 1) << who;
    EXPECT_NE(refused.err.find(why), std::string::npos) << refused.err;
    EXPECT_EQ(count_of(refused.err, "\n"), 1u) << refused.err;
    EXPECT_FALSE(fs::exists(elsewhere)) << who;
  }
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"report", "5-2"},
                                              {"report", "5-2", "--html", "a", "--csv"},
                                              {"report", "5-2", "x.html", "--html", "a"},
                                              {"add-class", "5-4", "--csv"}}) {
    EXPECT_EQ(velmora_class(bad).status, 2) << bad.back();
  }
}

}  // namespace
}  // namespace tutor::classdb
