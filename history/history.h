#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/console.h"

// The learner's progress history: every finished block and timed test, with
// its keystrokes per key, kept in one SQLite file beside the records. Nothing
// the lessons decide depends on it; failing to use it never stops a lesson.
namespace tutor::history {

// Beside the five records, relative to the working directory.
inline constexpr std::string_view kHistoryFile = "M0/data/progress.sqlite3";
// The history of the tree a program works in.
[[nodiscard]] std::filesystem::path file_of(const Console& con);

// Keystrokes of another key where this one was to be typed.
struct Miss {
  int typed_instead = 0;  // the key that typed it, 0 where no key types it
  int count = 0;
  friend bool operator==(const Miss&, const Miss&) = default;
};

// One key's keystrokes in a block.
struct KeyTally {
  int key = 0;  // of the on-screen keyboard, 1-49
  int right = 0;
  int wrong = 0;
  std::vector<Miss> instead;  // by typed_instead
  friend bool operator==(const KeyTally&, const KeyTally&) = default;
};

// One kana's keystrokes in a block of the word course.
struct KanaTally {
  std::string kana;  // UTF-8, as hiragana
  int right = 0;
  int wrong = 0;
  friend bool operator==(const KanaTally&, const KanaTally&) = default;
};
inline constexpr std::string_view kInputRomaji = "romaji";
inline constexpr std::string_view kInputKana = "kana";

// A block or timed test as its result screen showed it.
struct BlockEntry {
  std::string ended_at;  // local time, ISO 8601 with its offset
  std::string program;   // "Ostrin", "Zarbet", ...
  int step = 1;
  int seconds = 0;
  int right = 0;
  int wrong = 0;
  std::string evaluation;  // as shown
  std::string result;      // the verdict, or the grade name of a timed test
  std::vector<KeyTally> keys;
  // The word course's: its lesson (a number, or an own lesson's file name),
  // how it was typed (kInputRomaji, kInputKana), and the keystrokes per kana.
  std::string lesson;
  std::string input;
  std::vector<KanaTally> kana;
};

// A moment in the history that is not a block.
struct Mark {
  std::string at;
  std::string what;
};
inline constexpr std::string_view kRecordsCleared = "records cleared";

// How a block's result is stored: a lesson's verdict, or whether the shift
// course's block set a new best. A timed test stores its grade's name.
namespace results {
inline constexpr std::string_view kPass = "pass";
inline constexpr std::string_view kTooManyErrors = "too many errors";
inline constexpr std::string_view kTooSlow = "too slow";
inline constexpr std::string_view kNotYet = "not yet";
inline constexpr std::string_view kNewBest = "new best";
inline constexpr std::string_view kNoNewBest = "no new best";
// Whether a lesson's verdict says the block was not passed. The shift course
// and the timed test pass or fail no block.
[[nodiscard]] constexpr bool is_failure(std::string_view result) {
  return result == kTooManyErrors || result == kTooSlow || result == kNotYet;
}
}  // namespace results

// The history as read back, in the order it was kept.
struct History {
  std::vector<BlockEntry> blocks;
  std::vector<Mark> marks;
};

struct HistoryRead {
  enum class Status { Read, Missing, Unreadable };
  Status status = Status::Missing;
  History history;
  std::string problem;  // why it could not be read
};

// Reads the history; the file is only changed where a commit was cut short
// and SQLite rolls it back. A link, a FIFO or anything else that is not a
// regular file is unreadable. Key tallies are read for the
// last `tallied_blocks` blocks only (the others keep none).
[[nodiscard]] HistoryRead read_history(
    const std::filesystem::path& file,
    std::size_t tallied_blocks = std::numeric_limits<std::size_t>::max());

// A block as stored, its texts valid only while it is being visited.
struct BlockRow {
  std::int64_t id;
  std::string_view ended_at;
  std::string_view program;
  int step;
  int seconds;
  int right;
  int wrong;
  std::string_view evaluation;
  std::string_view result;
  std::string_view lesson;
  std::string_view input;
};

// Visits every block in the order kept, and reads the marks, keeping no
// block: years of practice summed up without holding them all. The history
// in what it returns holds the marks alone.
[[nodiscard]] HistoryRead scan_history(const std::filesystem::path& file,
                                       const std::function<void(const BlockRow&)>& visit);

// Keystrokes per kana over a program's last `blocks` blocks: what the word
// course's lesson for missed kana is made from. Empty where there is no
// readable history.
[[nodiscard]] std::map<std::string, std::pair<long long, long long>>
recent_kana(const std::filesystem::path& file, std::string_view program, int blocks);

// A block in the outbox: kept here, not yet known to be on the class server.
struct WaitingBlock {
  std::int64_t id = 0;  // here
  std::string uid;      // its random 128-bit id, 32 lower-case hex digits
  BlockEntry block;     // with its key and kana tallies
};

// The oldest blocks of the outbox, at most `count`, in the order kept, from
// after the block `after_id`; none where there is no readable history.
[[nodiscard]] std::vector<WaitingBlock> waiting_blocks(const std::filesystem::path& file,
                                                       std::size_t count,
                                                       std::int64_t after_id = 0);
// Takes blocks the class server has out of the outbox, in one transaction;
// false where the history could not be written (they are sent again).
bool take_out_of_outbox(const std::filesystem::path& file, std::span<const std::int64_t> ids);
// Takes a block the class server refused for what it holds out of the
// outbox, keeping it here with the server's reason: sent again it would be
// refused again, and it must hold back no other. False where the history
// could not be written.
bool set_aside(const std::filesystem::path& file, std::int64_t id, std::string_view reason);
// The blocks set aside, by id, with the server's reasons.
[[nodiscard]] std::vector<std::pair<std::int64_t, std::string>> set_aside_blocks(
    const std::filesystem::path& file);

// Adds to the history, each addition one transaction, journalled and synced
// to the disk before it counts as kept. Before its first addition the file is
// checked for damage. A history that cannot be written (a lock held too long,
// a read-only or full disk, a missing folder, a damaged file, one from a newer
// version, anything but a regular file in its place) is left exactly as it
// is: the addition is dropped and the first such failure is told on stderr.
class HistoryWriter {
 public:
  explicit HistoryWriter(std::filesystem::path file) : file_(std::move(file)) {}
  bool keep(const BlockEntry& block);
  bool keep(const Mark& mark);
  // The writer of the history of the tree a program works in.
  [[nodiscard]] static HistoryWriter of(const Console& con) { return HistoryWriter(file_of(con)); }

 private:
  template <typename Write>
  bool write(std::string_view what, const Write& add);

  std::filesystem::path file_;
  bool checked_ = false;  // found sound before this run's first addition
  bool failure_told_ = false;
};

// Local time as "2026-12-07T10:15:30+09:00"; in UTC ("+00:00") where the
// zone's offset is 16 hours or more, or not of whole minutes.
[[nodiscard]] std::string local_time(std::time_t t);
[[nodiscard]] std::string local_time_now();

}  // namespace tutor::history
