#include "teacher/class_summary.h"

#include <algorithm>
#include <map>

#include "teacher/report_layout.h"

namespace tutor::teacher {
namespace {

// The course of the speed chart a program's blocks typed in an input count
// in; -1 for none (the timed test, a program this version does not know).
int course_of(const classdb::ProgramTally& t) {
  return progress::course_of(t.program, progress::input_of(t.program, t.input));
}

int stage_of(std::string_view program) {
  const auto* at = std::find(kStages.begin(), kStages.end(), program);
  return at == kStages.end() ? -1 : static_cast<int>(at - kStages.begin());
}

std::string_view shown_name(std::string_view program) {
  for (const progress::ProgramName& p : progress::kProgramNames) {
    if (p.program == program) {
      return p.shown;
    }
  }
  return program;
}

void keep_best(std::optional<classdb::ShownBlock>& kept, const classdb::ShownBlock& candidate) {
  if (!kept || candidate.value > kept->value ||
      (candidate.value == kept->value && candidate.ended_at < kept->ended_at)) {
    kept = candidate;
  }
}

void keep_latest(std::optional<classdb::ShownBlock>& kept, const classdb::ShownBlock& candidate) {
  if (!kept || candidate.ended_at > kept->ended_at) {
    kept = candidate;
  }
}

void add_tally(LearnerSummary& learner, const classdb::ProgramTally& t) {
  learner.blocks += t.blocks;
  learner.seconds += t.seconds;
  learner.seconds_this_week += t.seconds_this_week;
  if (t.program == progress::kTimedTest) {
    // Every test counts, as in the progress program's totals.
    keep_best(learner.best_test, t.best.value_or(t.latest));
  }
  if (const int course = course_of(t); course >= 0) {
    CourseFigures& figures = learner.courses[static_cast<size_t>(course)];
    if (t.best) {
      keep_best(figures.best, *t.best);
    }
    keep_latest(figures.latest, t.latest);
  }
}

}  // namespace

std::string lesson_title(std::string_view lesson) {
  if (!lesson.empty() && lesson.find_first_not_of("0123456789") == std::string_view::npos) {
    return "レッスン " + std::string(lesson);
  }
  if (lesson == "missed") {
    return "苦手なかな";
  }
  if (lesson.size() > 4 && lesson.ends_with(".txt")) {
    lesson.remove_suffix(4);
  }
  return std::string(lesson);
}

ClassSummary summarise(const classdb::ClassReport& report) {
  ClassSummary summary;
  summary.class_name = report.class_name;
  std::map<std::string_view, LearnerSummary*> by_name;
  summary.learners.reserve(report.learners.size());
  for (const std::string& name : report.learners) {
    summary.learners.push_back({});
    summary.learners.back().name = name;
  }
  for (LearnerSummary& l : summary.learners) {
    by_name[l.name] = &l;
  }
  std::map<std::string_view, std::pair<int, int>> furthest;  // stage, its highest step
  for (const classdb::ProgramTally& t : report.programs) {
    const auto learner = by_name.find(t.learner);
    if (learner == by_name.end()) {
      continue;
    }
    add_tally(*learner->second, t);
    if (const int stage = stage_of(t.program); stage >= 0) {
      auto [at, added] = furthest.try_emplace(t.learner, stage, t.highest_step);
      if (!added && stage > at->second.first) {
        at->second = {stage, t.highest_step};
      } else if (!added && stage == at->second.first) {
        at->second.second = std::max(at->second.second, t.highest_step);
      }
    }
  }
  for (const auto& [name, stage] : furthest) {
    by_name[name]->stage =
        Stage{shown_name(kStages[static_cast<size_t>(stage.first)]), stage.second};
  }

  // A day's blocks of every course of the chart, weighed by their counts.
  std::map<std::pair<std::string_view, std::int64_t>, std::pair<double, long long>> days;
  for (const classdb::DayMean& d : report.days) {
    if (progress::course_of(d.program, progress::input_of(d.program, d.input)) >= 0 &&
        by_name.contains(d.learner)) {
      auto& [sum, count] = days[{d.learner, d.day}];
      sum += d.mean * static_cast<double>(d.blocks);
      count += d.blocks;
    }
  }
  for (const auto& [learner_day, sum] : days) {
    by_name[learner_day.first]->speed.push_back(
        {learner_day.second, sum.first / static_cast<double>(sum.second)});
  }

  for (const classdb::KeySum& k : report.keys) {
    if (k.key >= 1 && k.key <= lessonkit::kKeyCount) {
      summary.keys[static_cast<size_t>(k.key)] = {k.right, k.wrong};
    }
  }
  for (const classdb::KanaSum& k : report.kana) {
    if (k.wrong > 0 && summary.most_missed_kana.size() < kTopKana) {
      summary.most_missed_kana.push_back(k);
    }
  }
  return summary;
}

}  // namespace tutor::teacher
