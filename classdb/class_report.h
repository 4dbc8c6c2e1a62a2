#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the class server sums up for a teacher's report of a class: plain
// figures, named as the blocks name them; how they are shown is the
// teacher's command's.
namespace tutor::classdb {

// What a report asks of the server, besides the class.
struct ReportPeriod {
  std::int64_t week_start = 0;  // the moment this week began, seconds since 1970 UTC
  int utc_offset_s = 0;         // where the report is made: its days begin at local midnight
  int recent_blocks = 50;       // each learner's latest blocks the keys and kana are summed over
};

// One block of a learner's, as kept: what a report shows of it.
struct ShownBlock {
  std::string evaluation;     // as its result screen showed it
  double value = 0;           // the evaluation as a number (0 where it reads as none)
  std::string result;         // the verdict, or the timed test's grade name
  std::string lesson;         // the word course's lesson; "" for other programs
  std::int64_t ended_at = 0;  // seconds since 1970 UTC
};

// A learner's blocks of one program typed in one input, summed by the server.
struct ProgramTally {
  std::string learner;
  std::string program;
  std::string input;  // as sent: "romaji", "kana", or "" for no input kept
  long long blocks = 0;
  long long seconds = 0;
  long long seconds_this_week = 0;
  int highest_step = 0;
  std::optional<ShownBlock> best;  // the highest evaluation among the blocks not failed
  ShownBlock latest;
};

// The mean evaluation of a learner's blocks of one program and input on one
// day, days counted from 1970-01-01 where the report is made.
struct DayMean {
  std::string learner;
  std::string program;
  std::string input;
  std::int64_t day = 0;
  double mean = 0;
  long long blocks = 0;
};

// Keystrokes summed over the class: of a key of the on-screen keyboard, or
// of a kana of the word course.
struct KeySum {
  int key = 0;
  long long right = 0;
  long long wrong = 0;
};
struct KanaSum {
  std::string kana;
  long long right = 0;
  long long wrong = 0;
};

// A class as its teacher reads it.
struct ClassReport {
  std::string class_name;
  std::vector<std::string> learners;   // every learner of the class, by name
  std::vector<ProgramTally> programs;  // by learner, program and input
  std::vector<DayMean> days;           // by learner and day
  std::vector<KeySum> keys;            // by key, over each learner's recent blocks
  std::vector<KanaSum> kana;           // most missed first, over each learner's recent word blocks
};

}  // namespace tutor::classdb
