#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "console/backend.h"
#include "spelling/romaji.h"
#include "words/fingers.h"
#include "words/input_mode.h"

// One item's reading as the learner types it, in romaji or in kana input:
// what the drill asks of a line, whichever way it is typed.
namespace tutor::words {

// A keystroke as the drill tallies it: the key struck on the on-screen
// keyboard (0 for one it does not show) and what it types.
struct Stroke {
  int key = 0;
  char letter = '\0';     // romaji: the letter typed, '\0' for none
  char32_t key_kana = 0;  // kana input: the kana of the key struck
};

class ReadingLine {
 public:
  virtual ~ReadingLine() = default;
  // The keystroke an event is; nothing for one that types nothing (Enter,
  // Backspace, the cursor keys).
  [[nodiscard]] virtual std::optional<Stroke> stroke_of(const Event& e) const = 0;
  // Takes a keystroke; false (and nothing moves) when it is wrong.
  virtual bool type(const Stroke& s) = 0;
  [[nodiscard]] virtual bool done() const = 0;
  // The guide: the keys struck and the keys left, as the guide shows them.
  [[nodiscard]] virtual std::string typed() const = 0;
  [[nodiscard]] virtual std::string rest() const = 0;
  // The next key and the Shift key to hold with it; none when done.
  [[nodiscard]] virtual Keystroke next_key() const = 0;
  // The code points of the reading typed whole, and the kana typed now.
  [[nodiscard]] virtual std::size_t kana_done() const = 0;
  [[nodiscard]] virtual char32_t kana_now() const = 0;
  // The spellings chosen, once done (romaji only).
  virtual void note_choices(spelling::Preferences& /*chosen*/) const {}
  // Whether a keystroke this line does not take may end it and begin the
  // next item: the last ん typed as a single n, then the next item's
  // consonant, as an input method takes it (romaji only). Ends it so.
  [[nodiscard]] virtual bool ends_before(const Stroke& /*s*/) const { return false; }
  // What the line waits for, as the drill shows it after misses: "ん は nn",
  // "が は か ゛".
  [[nodiscard]] virtual std::string hint() const = 0;
  // A stroke as the learner reads it: "Q", "た"; "?" for a key that types nothing.
  [[nodiscard]] virtual std::string shown(const Stroke& s) const = 0;
  virtual void end_before_next() {}
};

// A reading to type in the given mode; `preferences` (romaji only) must
// outlive the line. `next_reading` is the next item's, none for the last.
[[nodiscard]] std::unique_ptr<ReadingLine> reading_line(InputMode mode,
                                                        std::string_view reading,
                                                        const spelling::Preferences& preferences,
                                                        std::string_view next_reading = {});

// The keystroke that types a key's kana in kana input: its key and the
// other hand's Shift key where the kana is shifted.
[[nodiscard]] Keystroke keystroke_for_kana(char32_t key_kana);

}  // namespace tutor::words
