#include "teacher/report_html.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "console/colour.h"
#include "console/geometry.h"
#include "console/text.h"
#include "lessonkit/key_table.h"
#include "progress/progress_layout.h"
#include "teacher/local_time.h"
#include "teacher/report_layout.h"

namespace tutor::teacher {
namespace {

// Print as on screen: black on white, the key faces in their colours.
constexpr std::string_view kStyle = R"(
body { font-family: "IPAGothic", "IPAPGothic", "Noto Sans CJK JP", sans-serif;
       color: #000; background: #fff; margin: 16px; font-size: 13px; line-height: 1.35; }
header h1 { font-size: 22px; margin: 0 0 4px; }
header p { margin: 0 0 2px; }
h2 { font-size: 16px; margin: 18px 0 6px; border-bottom: 2px solid #243cb4; }
table { border-collapse: collapse; }
th, td { border: 1px solid #999; padding: 2px 5px; vertical-align: top; text-align: left; }
th { background: #e8eefa; font-weight: bold; white-space: nowrap; }
td.number { text-align: right; white-space: nowrap; }
td.name { font-weight: bold; white-space: nowrap; }
td.stage, td.test { white-space: nowrap; }
.figure { white-space: nowrap; }
.date, .note, .lesson { color: #444; font-size: 85%; }
.none { color: #777; }
.misses { display: flex; flex-wrap: wrap; gap: 24px; align-items: flex-start; }
.legend { display: flex; flex-wrap: wrap; gap: 12px; margin: 4px 0; font-size: 90%; }
.swatch { display: inline-block; width: 14px; height: 12px; border: 1px solid #000;
          vertical-align: middle; margin-right: 3px; }
.charts { display: flex; flex-wrap: wrap; gap: 8px; }
figure { margin: 0; border: 1px solid #bbb; padding: 4px; }
figcaption { font-weight: bold; }
svg text { font-family: inherit; }
* { print-color-adjust: exact; -webkit-print-color-adjust: exact; }
@page { size: A4 landscape; margin: 8mm; }
@media print {
  body { margin: 0; font-size: 7.5pt; }
  th { background: none; }
  h2, section.speed > .note { break-after: avoid; }
  tr, figure, .misses { break-inside: avoid; }
  svg.keyboard { width: 125mm; height: auto; }
  .on-screen { display: none; }
  figure svg { width: 200px; height: 85px; }
})";

std::string colour_hex(Colour c) {
  const Rgb rgb = kPalette[c.index()];
  char hex[8];
  std::snprintf(hex, sizeof hex, "#%02x%02x%02x", rgb.r, rgb.g, rgb.b);
  return hex;
}

std::string decimal(double v, int places) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", places, v);
  return text;
}

std::string percent(long long part, long long whole) {
  return decimal(100.0 * static_cast<double>(part) / static_cast<double>(whole), 1) + "%";
}

std::string duration(long long seconds) {
  const long long minutes = std::max(0LL, seconds) / 60;
  if (minutes < 60) {
    return std::to_string(minutes) + "分";
  }
  return std::to_string(minutes / 60) + "時間" + std::to_string(minutes % 60) + "分";
}

// ---- The table of learners --------------------------------------------------

struct Page {
  std::ostream& out;
  int year;  // dates of this year are written without it
};

void write_figure(const Page& page,
                  std::string_view label,
                  const classdb::ShownBlock& b,
                  bool with_lesson) {
  page.out << "<div class=\"figure\">" << label << " <b>" << html_text(b.evaluation)
           << "</b> <span class=\"date\">" << short_date(b.ended_at, page.year) << "</span></div>";
  if (with_lesson && !b.lesson.empty()) {
    page.out << "<div class=\"lesson\">" << html_text(lesson_title(b.lesson)) << "</div>";
  }
}

void write_course_cell(const Page& page, const CourseFigures& c, bool word_course) {
  page.out << "<td class=\"course\">";
  if (!c.latest) {
    page.out << "<span class=\"none\">―</span></td>";
    return;
  }
  if (c.best) {
    write_figure(page, "最高", *c.best, word_course);
  } else {
    page.out << "<div class=\"figure\">最高 <span class=\"none\">合格なし</span></div>";
  }
  write_figure(page, "最新", *c.latest, word_course);
  page.out << "</td>";
}

void write_learner_row(const Page& page, const LearnerSummary& l) {
  std::ostream& out = page.out;
  out << "<tr data-learner=\"" << html_text(l.name) << "\"><td class=\"name\">" << html_text(l.name)
      << "</td><td class=\"stage\">";
  if (l.stage) {
    out << l.stage->name << " " << l.stage->step;
  } else {
    out << "<span class=\"none\">―</span>";
  }
  out << "</td><td class=\"test\">";
  if (l.best_test) {
    out << html_text(l.best_test->result) << " <span class=\"points\">"
        << html_text(l.best_test->evaluation) << "点</span> <span class=\"date\">"
        << short_date(l.best_test->ended_at, page.year) << "</span>";
  } else {
    out << "<span class=\"none\">―</span>";
  }
  out << "</td>";
  for (size_t c = 0; c < l.courses.size(); ++c) {
    write_course_cell(page, l.courses[c], !progress::kCourses[c].input.empty());
  }
  out << "<td class=\"number\">" << duration(l.seconds_this_week) << "</td><td class=\"number\">"
      << duration(l.seconds) << "</td><td class=\"number\">" << l.blocks << "</td></tr>\n";
}

void write_learners(const Page& page, const ClassSummary& s, const ReportMoment& when) {
  std::ostream& out = page.out;
  out << "<section class=\"learners\"><h2>学習者ごとの記録</h2>\n"
         "<table class=\"learners\"><thead><tr><th>名前</th><th>基本の段階</th>"
         "<th>トライ編の最高</th>";
  for (const CourseColumn& c : kCourseColumns) {
    out << "<th>" << c.title << "</th>";
  }
  out << "<th>今週の練習</th><th>合計の練習</th><th>ブロック数</th></tr></thead>\n<tbody>\n";
  for (const LearnerSummary& l : s.learners) {
    write_learner_row(page, l);
  }
  out << "</tbody></table>\n<p class=\"note\">" << progress::kBestNote
      << "。トライ編は得点が最高の回の段級。今週は " << japanese_date(when.week_start)
      << " 0時から。</p></section>\n";
}

// ---- The keys and kana missed most -----------------------------------------

void write_swatch(std::ostream& out, Colour face, std::string_view label) {
  out << "<span><span class=\"swatch\" style=\"background:" << colour_hex(face) << "\"></span>"
      << label << "</span>";
}

std::string key_name(int k) {
  if (k == lessonkit::kSpaceBar) {
    return "スペース";
  }
  return std::string(lessonkit::key(k).legend);
}

void write_keyboard(std::ostream& out, const ClassSummary& s) {
  const int left = lessonkit::key(lessonkit::kLeftShift).rect.x1 - kKeyboardMargin;
  const int right = lessonkit::key(lessonkit::kRightShift).rect.x2 + kKeyboardMargin;
  const int top = pixel_y(lessonkit::key(1).rect.y1) - kKeyboardMargin;
  const int bottom = pixel_y(lessonkit::key(lessonkit::kSpaceBar).rect.y2) + kKeyboardMargin;
  out << "<svg class=\"keyboard\" viewBox=\"" << left << " " << top << " " << right - left << " "
      << bottom - top << "\" width=\"" << (right - left) * 3 / 2 << "\" height=\""
      << (bottom - top) * 3 / 2 << "\" role=\"img\" aria-label=\"キーごとのミス率\">\n";
  for (int k = 1; k <= lessonkit::kKeyCount; ++k) {
    const lessonkit::Key& key = lessonkit::key(k);
    const Keystrokes& typed = s.keys[static_cast<size_t>(k)];
    const Colour face = progress::miss_face(typed.right, typed.wrong);
    const int x = key.rect.x1, y = pixel_y(key.rect.y1);
    const int w = key.rect.x2 - key.rect.x1, h = pixel_y(key.rect.y2) - y;
    out << "<g><rect data-key=\"" << k << "\" x=\"" << x << "\" y=\"" << y << "\" width=\"" << w
        << "\" height=\"" << h << "\" rx=\"3\" fill=\"" << colour_hex(face)
        << "\" stroke=\"#000\"><title>" << key_name(k) << "："
        << (typed.right + typed.wrong > 0
                ? "ミス " + std::to_string(typed.wrong) + "／打鍵 " +
                      std::to_string(typed.right + typed.wrong) + "（" +
                      percent(typed.wrong, typed.right + typed.wrong) + "）"
                : std::string("打鍵なし"))
        << "</title></rect>";
    if (k != lessonkit::kSpaceBar) {
      out << "<text x=\"" << x + w / 2 << "\" y=\"" << y + h / 2 + 5
          << "\" text-anchor=\"middle\" font-size=\"" << (k >= lessonkit::kLeftShift ? 11 : 14)
          << "\" fill=\"" << colour_hex(text_on(face)) << "\">" << key.legend << "</text>";
    }
    out << "</g>\n";
  }
  out << "</svg>\n";
}

void write_misses(std::ostream& out, const ClassSummary& s) {
  out << "<section class=\"misses\"><div><h2>クラスのミスの多いキー</h2>\n<div class=\"legend\">"
         "<span>ミス率</span>";
  write_swatch(out, progress::kUntypedFace, "打鍵なし");
  for (const progress::MissBand& b : progress::kMissBands) {
    write_swatch(out, b.face, b.label);
  }
  out << "</div>\n";
  write_keyboard(out, s);
  out << "<p class=\"note\">一人ごとの最近" << progress::kRecentBlocks
      << "ブロックの打鍵から。<span "
         "class=\"on-screen\">キーにマウスを重ねると回数が出ます。</span></p></div>\n"
         "<div><h2>ミスの多いかな（ことば）</h2>\n";
  if (s.most_missed_kana.empty()) {
    out << "<p class=\"none\">まだかなのミスの記録がありません。</p>";
  } else {
    out << "<table class=\"kana\"><thead><tr><th>順位</th><th>かな</th><th>ミス</th>"
           "<th>打鍵</th><th>ミス率</th></tr></thead><tbody>\n";
    int rank = 0;
    for (const classdb::KanaSum& k : s.most_missed_kana) {
      out << "<tr><td class=\"number\">" << ++rank << "</td><td class=\"kana\">"
          << html_text(k.kana) << "</td><td class=\"number\">" << k.wrong
          << "</td><td class=\"number\">" << k.right + k.wrong << "</td><td class=\"number\">"
          << percent(k.wrong, k.right + k.wrong) << "</td></tr>\n";
    }
    out << "</tbody></table>";
  }
  out << "<p class=\"note\">一人ごとの最近" << progress::kRecentBlocks
      << "ブロック（ことば）の打鍵から。</p></div></section>\n";
}

// ---- Speed over the days ----------------------------------------------------

// Every learner's chart on the same scales, so that the charts compare.
struct ChartScale {
  std::int64_t first_day = 0;
  std::int64_t last_day = 0;
  double top = kChartLeastTop;

  [[nodiscard]] double x(std::int64_t day) const {
    if (first_day == last_day) {
      return (kChartLeft + kChartRight) / 2.0;
    }
    return kChartLeft + (kChartRight - kChartLeft) * static_cast<double>(day - first_day) /
                            static_cast<double>(last_day - first_day);
  }
  [[nodiscard]] double y(double value) const {
    const double v = std::clamp(value, 0.0, top);
    return kChartBottom - (kChartBottom - kChartTop) * v / top;
  }
};

ChartScale chart_scale(const ClassSummary& s) {
  ChartScale scale{INT64_MAX, INT64_MIN, kChartLeastTop};
  double highest = 0;
  for (const LearnerSummary& l : s.learners) {
    for (const SpeedPoint& p : l.speed) {
      scale.first_day = std::min(scale.first_day, p.day);
      scale.last_day = std::max(scale.last_day, p.day);
      highest = std::max(highest, p.mean);
    }
  }
  scale.top = std::max(kChartLeastTop, std::ceil(highest / kChartValueStep) * kChartValueStep);
  return scale;
}

void write_chart(std::ostream& out, const LearnerSummary& l, const ChartScale& scale) {
  out << "<figure data-learner=\"" << html_text(l.name) << "\"><figcaption>" << html_text(l.name)
      << "</figcaption>";
  if (l.speed.empty()) {
    out << "<p class=\"none\">まだ記録がありません。</p></figure>\n";
    return;
  }
  out << "<svg viewBox=\"0 0 " << kChartWidth << " " << kChartHeight << "\" width=\"" << kChartWidth
      << "\" height=\"" << kChartHeight << "\" role=\"img\" aria-label=\"" << html_text(l.name)
      << " の速度の推移\">";
  // The value axis at 0, half way and the top, and the time axis.
  for (const double v : {0.0, scale.top / 2, scale.top}) {
    const std::string y = decimal(scale.y(v), 1);
    out << "<line x1=\"" << kChartLeft << "\" y1=\"" << y << "\" x2=\"" << kChartRight << "\" y2=\""
        << y << "\" stroke=\"" << (v == 0 ? "#000" : "#ccc") << "\"/>"
        << "<text x=\"" << kChartLeft - 3 << "\" y=\"" << decimal(scale.y(v) + 4, 1)
        << "\" text-anchor=\"end\" font-size=\"10\">" << decimal(v, 0) << "</text>";
  }
  out << "<line x1=\"" << kChartLeft << "\" y1=\"" << kChartTop << "\" x2=\"" << kChartLeft
      << "\" y2=\"" << kChartBottom << "\" stroke=\"#000\"/>";
  const std::string pass = decimal(scale.y(progress::kPassEvaluation), 1);
  out << "<line class=\"pass\" x1=\"" << kChartLeft << "\" y1=\"" << pass << "\" x2=\""
      << kChartRight << "\" y2=\"" << pass << "\" stroke=\""
      << colour_hex(progress::kPassLineColour) << "\" stroke-dasharray=\"4 3\"/>";
  out << "<polyline fill=\"none\" stroke=\"" << colour_hex(kBlue)
      << "\" stroke-width=\"1.5\" points=\"";
  for (size_t i = 0; i < l.speed.size(); ++i) {
    out << (i > 0 ? " " : "") << decimal(scale.x(l.speed[i].day), 1) << ","
        << decimal(scale.y(l.speed[i].mean), 1);
  }
  out << "\"/>";
  if (l.speed.size() <= kChartMostDots) {
    for (const SpeedPoint& p : l.speed) {
      out << "<circle cx=\"" << decimal(scale.x(p.day), 1) << "\" cy=\""
          << decimal(scale.y(p.mean), 1) << "\" r=\"2.5\" fill=\"" << colour_hex(kBlue)
          << "\"><title>" << day_date(p.day) << "：" << decimal(p.mean, 1) << "</title></circle>";
    }
  }
  const int date_y = kChartBottom + 14;
  out << "<text x=\"" << kChartLeft << "\" y=\"" << date_y << "\" font-size=\"10\">"
      << day_date(scale.first_day) << "</text>";
  if (scale.last_day != scale.first_day) {
    out << "<text x=\"" << kChartRight << "\" y=\"" << date_y
        << "\" text-anchor=\"end\" font-size=\"10\">" << day_date(scale.last_day) << "</text>";
  }
  out << "</svg></figure>\n";
}

void write_speed(std::ostream& out, const ClassSummary& s) {
  const ChartScale scale = chart_scale(s);
  out << "<section class=\"speed\"><h2>速度の推移</h2>\n<p class=\"note\">"
         "一日ごとのブロックの評価の平均（トライ編を除くすべてのコース）。破線は合格の "
      << decimal(progress::kPassEvaluation, 0) << "。</p>\n<div class=\"charts\">\n";
  for (const LearnerSummary& l : s.learners) {
    write_chart(out, l, scale);
  }
  out << "</div></section>\n";
}

}  // namespace

std::string html_text(std::string_view text) {
  std::string html;
  html.reserve(text.size());
  for (const char32_t cp : decode_utf8(text)) {
    switch (cp) {
      case U'&':
        html += "&amp;";
        break;
      case U'<':
        html += "&lt;";
        break;
      case U'>':
        html += "&gt;";
        break;
      case U'"':
        html += "&quot;";
        break;
      case U'\'':
        html += "&#39;";
        break;
      default: {
        const bool control = cp < 0x20 || (cp >= 0x7f && cp <= 0x9f);
        html += encode_utf8(control ? U'\uFFFD' : cp);
      }
    }
  }
  return html;
}

void write_report_html(std::ostream& out, const ClassSummary& summary, const ReportMoment& when) {
  const std::string name = html_text(summary.class_name);
  out << "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width\">\n<title>クラス "
      << name << " の練習の記録</title>\n<style>" << kStyle << "\n</style>\n</head>\n<body>\n"
      << "<header><h1>クラス " << name << " の練習の記録</h1>\n<p>" << japanese_date(when.made_at)
      << " 作成　学習者 " << summary.learners.size() << "人</p></header>\n";
  const Page page{out, local_year(when.made_at)};
  write_learners(page, summary, when);
  write_misses(out, summary);
  write_speed(out, summary);
  out << "</body>\n</html>\n";
}

}  // namespace tutor::teacher
