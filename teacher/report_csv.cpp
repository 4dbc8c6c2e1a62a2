#include "teacher/report_csv.h"

#include <string>
#include <vector>

#include "console/csv_field.h"
#include "teacher/local_time.h"
#include "teacher/report_layout.h"

namespace tutor::teacher {
namespace {

void write_row(std::ostream& out, const std::vector<std::string>& fields) {
  for (size_t i = 0; i < fields.size(); ++i) {
    out << (i > 0 ? "," : "") << csv_field(fields[i]);
  }
  out << "\r\n";
}

bool word_course(size_t course) {
  return !progress::kCourses[course].input.empty();
}

// A block's cells: its evaluation, its date, and for the word course its lesson.
void add_block(std::vector<std::string>& row,
               const std::optional<classdb::ShownBlock>& b,
               bool with_lesson) {
  row.push_back(b ? b->evaluation : "");
  row.push_back(b ? local_date(b->ended_at) : "");
  if (with_lesson) {
    row.push_back(b ? lesson_title(b->lesson) : "");
  }
}

}  // namespace

void write_report_csv(std::ostream& out, const ClassSummary& summary) {
  std::vector<std::string> header = {"learner",    "stage",       "stage_step",
                                     "test_grade", "test_points", "test_date"};
  for (size_t c = 0; c < kCourseColumns.size(); ++c) {
    for (const std::string_view which : {"_best", "_latest"}) {
      const std::string name = std::string(kCourseColumns[c].csv_name) + std::string(which);
      header.push_back(name);
      header.push_back(name + "_date");
      if (word_course(c)) {
        header.push_back(name + "_lesson");
      }
    }
  }
  for (const char* name : {"seconds_this_week", "seconds", "blocks"}) {
    header.emplace_back(name);
  }
  write_row(out, header);

  for (const LearnerSummary& l : summary.learners) {
    std::vector<std::string> row = {l.name};
    row.push_back(l.stage ? std::string(l.stage->name) : "");
    row.push_back(l.stage ? std::to_string(l.stage->step) : "");
    row.push_back(l.best_test ? l.best_test->result : "");
    row.push_back(l.best_test ? l.best_test->evaluation : "");
    row.push_back(l.best_test ? local_date(l.best_test->ended_at) : "");
    for (size_t c = 0; c < l.courses.size(); ++c) {
      add_block(row, l.courses[c].best, word_course(c));
      add_block(row, l.courses[c].latest, word_course(c));
    }
    row.push_back(std::to_string(l.seconds_this_week));
    row.push_back(std::to_string(l.seconds));
    row.push_back(std::to_string(l.blocks));
    write_row(out, row);
  }
}

}  // namespace tutor::teacher
