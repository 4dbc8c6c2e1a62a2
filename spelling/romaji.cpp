#include "spelling/romaji.h"

#include <algorithm>
#include <unordered_map>

#include "console/text.h"
#include "spelling/romaji_table.h"

namespace tutor::spelling {
namespace {

constexpr char32_t kSmallTsu = U'っ';
constexpr char32_t kN = U'ん';
// Keys of the marks before which ん may be a single n.
constexpr std::string_view kMarkKeys = ",.[]/!?-";

// The table by its kana, decoded once.
const std::unordered_map<std::u32string, const RomajiEntry*>& table() {
  static const std::unordered_map<std::u32string, const RomajiEntry*> kByKana = [] {
    std::unordered_map<std::u32string, const RomajiEntry*> map;
    for (const RomajiEntry& e : kRomajiTable) {
      const std::vector<char32_t> kana = decode_utf8(e.kana);
      map.emplace(std::u32string(kana.begin(), kana.end()), &e);
    }
    return map;
  }();
  return kByKana;
}

}  // namespace

bool single_n_may_precede(char key) {
  const bool letter = key >= 'a' && key <= 'z';
  return letter ? std::string_view("aeiouny").find(key) == std::string_view::npos
                : key != '\0' && kMarkKeys.find(key) != std::string_view::npos;
}

std::u32string as_hiragana(std::string_view reading) {
  std::u32string out;
  for (char32_t c : decode_utf8(reading)) {
    out += (c >= U'ァ' && c <= U'ヶ') ? static_cast<char32_t>(c - 0x60) : c;
  }
  return out;
}

RomajiLine::RomajiLine(std::string_view reading, const Preferences* preferences, char next_begins)
    : reading_(as_hiragana(reading)), preferences_(preferences), next_begins_(next_begins) {
  find_moves();
  states_.push_back({});
}

void RomajiLine::find_moves() {
  const std::size_t n = reading_.size();
  moves_.assign(n + 1, {});
  best_.assign(n + 1, {});
  reachable_.assign(n + 1, false);
  reachable_[n] = true;
  // From the end, so that っ and ん see the moves after them.
  for (std::size_t i = n; i-- > 0;) {
    std::vector<Move>& moves = moves_[i];
    for (std::size_t len = 1; len <= 2 && i + len <= n; ++len) {
      const std::u32string kana = reading_.substr(i, len);
      if (const auto it = table().find(kana); it != table().end()) {
        for (std::string_view s : it->second->spellings) {
          if (!s.empty()) {
            moves.push_back({len, std::string(s), kana, std::string(s)});
          }
        }
      }
    }
    if (i + 1 == n && reading_[i] == kN && single_n_may_precede(next_begins_)) {
      // No preference of the learner's: its spelling is the next item's choice.
      moves.push_back({1, "n", U"", "", true});
    }
    if (i + 1 < n && (reading_[i] == kSmallTsu || reading_[i] == kN)) {
      for (const Move& next : moves_[i + 1]) {
        const char first = next.spelling.front();
        if (reading_[i] == kSmallTsu && kDoublingConsonants.find(first) != std::string_view::npos) {
          moves.push_back({next.kana + 1, first + next.spelling, next.chunk, next.chunk_spelling});
        } else if (reading_[i] == kN && single_n_may_precede(first)) {
          moves.push_back({next.kana + 1, "n" + next.spelling, next.chunk, next.chunk_spelling});
        }
      }
    }
    // The best spelling of the rest: the shortest, then the preferred.
    const Move* best = nullptr;
    for (const Move& m : moves) {
      if (!reachable_[i + m.kana]) {
        continue;
      }
      const std::size_t length = m.spelling.size() + best_[i + m.kana].size();
      const std::size_t best_length =
          best == nullptr ? 0 : best->spelling.size() + best_[i + best->kana].size();
      if (best == nullptr || length < best_length ||
          (length == best_length && preferred(m) && !preferred(*best))) {
        best = &m;
      }
    }
    if (best != nullptr) {
      reachable_[i] = true;
      best_[i] = best->spelling + best_[i + best->kana];
    }
  }
  for (std::size_t i = 0; i < n && !untypeable_; ++i) {
    if (moves_[i].empty()) {
      untypeable_ = i;
    }
  }
  if (!untypeable_ && !reachable_[0]) {
    untypeable_ = n - 1;  // a っ or ん at the end with nothing after it to type
  }
}

bool RomajiLine::preferred(const Move& m) const {
  if (preferences_ == nullptr) {
    return false;
  }
  const auto it = preferences_->find(m.chunk);
  return it != preferences_->end() && it->second == m.chunk_spelling;
}

bool RomajiLine::type(char key) {
  std::vector<State> next;
  auto take = [&](State s, const Move& m) {
    if (++s.keys == m.spelling.size()) {
      path_.push_back({s.path, s.at, s.move});
      s = {s.at + m.kana, -1, 0, static_cast<int>(path_.size() - 1)};
    }
    const bool seen = std::any_of(next.begin(), next.end(), [&](const State& t) {
      return t.at == s.at && t.move == s.move && t.keys == s.keys;
    });
    if (!seen) {
      next.push_back(s);
    }
  };
  for (const State& s : states_) {
    if (s.move >= 0) {
      const Move& m = moves_[s.at][static_cast<std::size_t>(s.move)];
      if (m.spelling[s.keys] == key) {
        take(s, m);
      }
      continue;
    }
    for (std::size_t i = 0; s.at < reading_.size() && i < moves_[s.at].size(); ++i) {
      const Move& m = moves_[s.at][i];
      if (m.spelling.front() == key && reachable_[s.at + m.kana]) {
        take({s.at, static_cast<int>(i), 0, s.path}, m);
      }
    }
  }
  if (next.empty()) {
    return false;
  }
  states_ = std::move(next);
  typed_ += key;
  return true;
}

bool RomajiLine::done() const {
  return ended_before_next_ || std::any_of(states_.begin(), states_.end(), [&](const State& s) {
           return s.move < 0 && s.at == reading_.size() && !awaiting(s);
         });
}

bool RomajiLine::awaiting(const State& s) const {
  if (s.move >= 0 || s.path < 0) {
    return false;
  }
  const Step& last = path_[static_cast<std::size_t>(s.path)];
  return moves_[last.at][static_cast<std::size_t>(last.move)].before_next;
}

bool RomajiLine::awaits_next() const {
  return !done() &&
         std::any_of(states_.begin(), states_.end(), [&](const State& s) { return awaiting(s); });
}

bool RomajiLine::ends_before(char key) const {
  return awaits_next() && single_n_may_precede(key);
}

void RomajiLine::end_before_next() {
  const auto waiting =
      std::find_if(states_.begin(), states_.end(), [&](const State& s) { return awaiting(s); });
  if (waiting != states_.end()) {
    ended_before_next_ = true;
    states_ = {*waiting};
  }
}

std::size_t RomajiLine::completion_length(const State& s) const {
  if (s.move < 0) {
    return best_[s.at].size();
  }
  const Move& m = moves_[s.at][static_cast<std::size_t>(s.move)];
  return m.spelling.size() - s.keys + best_[s.at + m.kana].size();
}

const RomajiLine::State& RomajiLine::leading() const {
  const State* lead = &states_.front();
  for (const State& s : states_) {
    const std::size_t length = completion_length(s);
    const std::size_t lead_length = completion_length(*lead);
    const bool prefer = s.move >= 0 && lead->move >= 0 &&
                        preferred(moves_[s.at][static_cast<std::size_t>(s.move)]) &&
                        !preferred(moves_[lead->at][static_cast<std::size_t>(lead->move)]);
    if (length < lead_length || (length == lead_length && prefer)) {
      lead = &s;
    }
  }
  return *lead;
}

std::string RomajiLine::rest() const {
  const State& s = leading();
  if (s.move < 0) {
    return best_[s.at];
  }
  const Move& m = moves_[s.at][static_cast<std::size_t>(s.move)];
  return m.spelling.substr(s.keys) + best_[s.at + m.kana];
}

std::size_t RomajiLine::kana_done() const {
  return leading().at;
}

char32_t RomajiLine::kana_now() const {
  const std::size_t at = leading().at;
  if (at < reading_.size()) {
    return reading_[at];
  }
  return awaits_next() ? reading_.back() : U'\0';  // the ん not settled yet
}

std::pair<std::u32string, std::string> RomajiLine::spelling_now() const {
  const State& s = leading();
  if (s.move >= 0) {
    const Move& m = moves_[s.at][static_cast<std::size_t>(s.move)];
    return {reading_.substr(s.at, m.kana), m.spelling};
  }
  if (s.at >= reading_.size()) {
    return {};
  }
  for (const Move& m : moves_[s.at]) {
    if (reachable_[s.at + m.kana] && m.spelling + best_[s.at + m.kana] == best_[s.at]) {
      return {reading_.substr(s.at, m.kana), m.spelling};
    }
  }
  return {};
}

std::vector<TypedKana> RomajiLine::typed_kana() const {
  std::vector<TypedKana> out;
  for (int p = leading().path; p >= 0; p = path_[static_cast<std::size_t>(p)].parent) {
    const Step& step = path_[static_cast<std::size_t>(p)];
    const Move& m = moves_[step.at][static_cast<std::size_t>(step.move)];
    out.push_back({reading_.substr(step.at, m.kana), m.spelling, m.chunk, m.chunk_spelling});
  }
  std::reverse(out.begin(), out.end());
  return out;
}

}  // namespace tutor::spelling
