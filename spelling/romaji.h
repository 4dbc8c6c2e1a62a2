#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The romaji spellings of a kana reading, as a standard input method takes
// them, judged keystroke by keystroke. Knows nothing of the screen.
namespace tutor::spelling {

// The spelling a learner last chose for a kana (or a kana with its small
// kana) among spellings of equal length: し -> "shi" where "si" would do.
using Preferences = std::map<std::u32string, std::string>;

// Kana typed, and the keys that typed them: one kana, a kana with its small
// kana, or っ or ん with the kana after it.
struct TypedKana {
  std::u32string kana;          // as hiragana: "し", "きゃ", "っか"
  std::string spelling;         // "shi", "kya", "kka"
  std::u32string chosen;        // the kana whose spelling was chosen: "し", "きゃ", "か"
  std::string chosen_spelling;  // and that spelling: "shi", "kya", "ka"
  friend bool operator==(const TypedKana&, const TypedKana&) = default;
};

// The reading of one item, typed in romaji.
//
// A keystroke is right when some valid spelling of what is left continues
// with it; otherwise it is wrong and nothing moves. Besides the table's
// spellings (romaji_table.h):
//  - っ doubles the first letter of the next kana's spelling when that is one
//    of k s t c h f m y r w g z j d b p v q; before a vowel, the な row, ん or
//    the end of the line it takes only its small-kana spellings;
//  - ん is a single n before a kana whose spelling starts with a consonant
//    other than n and y, or before a mark; otherwise nn, xn or n'. A ん
//    that ends the line is a single n too where another item follows that
//    begins so: the line then waits for the next key, which either ends the
//    ん (n) or, being a consonant that starts the next item, begins it.
// Every contracted kana may also be typed as its parts (き then ゃ).
// Katakana is typed as the same hiragana.
class RomajiLine {
 public:
  // `preferences` may be null; it must outlive the line. `next_begins`, where
  // given, is the first key of the item that follows this one.
  explicit RomajiLine(std::string_view reading,
                      const Preferences* preferences = nullptr,
                      char next_begins = '\0');

  // Where the reading holds a character no keystroke types (its index in
  // code points), or nothing where every character can be typed.
  [[nodiscard]] std::optional<std::size_t> untypeable_at() const { return untypeable_; }

  // Takes a keystroke; false (and nothing changes) when it is wrong.
  bool type(char key);

  [[nodiscard]] bool done() const;
  // Whether the line's last ん was typed as a single n and waits for the
  // next key; and whether `key` then ends the line and begins the next item.
  [[nodiscard]] bool awaits_next() const;
  [[nodiscard]] bool ends_before(char key) const;
  // Ends a line that awaits the next key there: the ん is a single n.
  void end_before_next();
  // The right keystrokes so far.
  [[nodiscard]] const std::string& typed() const { return typed_; }
  // One valid spelling of what is left, following what was typed: after
  // "sh", し is "i" more. The shortest one; among equally short ones, the
  // learner's preference, then the table's first.
  [[nodiscard]] std::string rest() const;
  // The code points of the reading already typed whole.
  [[nodiscard]] std::size_t kana_done() const;
  // The kana being typed now (as hiragana), or nothing when done.
  [[nodiscard]] char32_t kana_now() const;
  // The kana being typed now (with っ or ん, or a small kana, those the
  // guide's spelling takes at once) and that whole spelling: {"ん", "nn"};
  // empty when done.
  [[nodiscard]] std::pair<std::u32string, std::string> spelling_now() const;
  // How the reading was typed, kana by kana; whole once done().
  [[nodiscard]] std::vector<TypedKana> typed_kana() const;

 private:
  struct Move {
    std::size_t kana = 0;  // code points it types
    std::string spelling;
    std::u32string chunk;        // the kana whose preference it follows
    std::string chunk_spelling;  // and how it spells them
    bool before_next = false;    // a last ん as a single n: whole with the next item's key
  };
  struct State {
    std::size_t at = 0;    // where its move starts in the reading
    int move = -1;         // into moves_[at]; -1 between two moves
    std::size_t keys = 0;  // of the move typed
    int path = -1;         // the last move typed whole, in path_
  };
  struct Step {
    int parent;
    std::size_t at;
    int move;
  };

  void find_moves();
  [[nodiscard]] bool preferred(const Move& m) const;
  [[nodiscard]] bool awaiting(const State& s) const;
  [[nodiscard]] const State& leading() const;
  [[nodiscard]] std::size_t completion_length(const State& s) const;

  std::u32string reading_;  // as hiragana
  const Preferences* preferences_;
  std::vector<std::vector<Move>> moves_;  // from each code point
  std::vector<std::string> best_;         // the best spelling of the rest from each
  std::vector<bool> reachable_;           // whether the rest from each can be typed
  std::vector<State> states_;             // every way of reading what was typed
  std::vector<Step> path_;
  std::string typed_;
  std::optional<std::size_t> untypeable_;
  char next_begins_;
  bool ended_before_next_ = false;
};

// Whether a single n may stand for ん before a key: a consonant but n and y,
// or a mark.
[[nodiscard]] bool single_n_may_precede(char key);

// A reading as hiragana: katakana becomes the same hiragana, the rest stays.
[[nodiscard]] std::u32string as_hiragana(std::string_view reading);

}  // namespace tutor::spelling
