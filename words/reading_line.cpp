#include "words/reading_line.h"

#include "console/text.h"
#include "spelling/kana_line.h"

namespace tutor::words {
namespace {

class RomajiReading final : public ReadingLine {
 public:
  RomajiReading(std::string_view reading,
                const spelling::Preferences& preferences,
                std::string_view next_reading)
      : line_(reading, &preferences, first_key(next_reading, preferences)) {}

  [[nodiscard]] std::optional<Stroke> stroke_of(const Event& e) const override {
    if (!e.is_key() || e.key.empty() || static_cast<unsigned char>(e.key.front()) < 0x20 ||
        e.key == "\x7f") {
      return std::nullopt;
    }
    // Caps Lock or Shift on a letter is the letter: an input method reads it so.
    char typed = e.key.size() == 1 ? e.key.front() : '\0';
    if (typed >= 'A' && typed <= 'Z') {
      typed = static_cast<char>(typed - 'A' + 'a');
    }
    return Stroke{typed != '\0' ? keystroke_for(typed).key : 0, typed, 0};
  }
  bool type(const Stroke& s) override { return s.letter != '\0' && line_.type(s.letter); }
  [[nodiscard]] bool done() const override { return line_.done(); }
  [[nodiscard]] std::string typed() const override { return line_.typed(); }
  [[nodiscard]] std::string rest() const override { return line_.rest(); }
  [[nodiscard]] Keystroke next_key() const override {
    const std::string rest = line_.rest();
    return rest.empty() ? Keystroke{} : keystroke_for(rest.front());
  }
  [[nodiscard]] std::size_t kana_done() const override { return line_.kana_done(); }
  [[nodiscard]] char32_t kana_now() const override { return line_.kana_now(); }
  [[nodiscard]] bool ends_before(const Stroke& s) const override {
    return line_.ends_before(s.letter);
  }
  void end_before_next() override { line_.end_before_next(); }
  [[nodiscard]] std::string hint() const override {
    const auto [kana, spelling] = line_.spelling_now();
    return kana.empty()
               ? std::string()
               : encode_utf8(std::vector<char32_t>(kana.begin(), kana.end())) + " は " + spelling;
  }
  [[nodiscard]] std::string shown(const Stroke& s) const override {
    if (s.letter == '\0') {
      return "?";
    }
    // As the key's cap reads.
    return std::string(
        1, s.letter >= 'a' && s.letter <= 'z' ? static_cast<char>(s.letter - 'a' + 'A') : s.letter);
  }
  void note_choices(spelling::Preferences& chosen) const override {
    for (const spelling::TypedKana& t : line_.typed_kana()) {
      if (!t.chosen.empty()) {  // a last ん as a single n chose nothing
        chosen[t.chosen] = t.chosen_spelling;
      }
    }
  }

 private:
  // The first key of the next item's spelling, as the learner would type it.
  static char first_key(std::string_view reading, const spelling::Preferences& preferences) {
    if (reading.empty()) {
      return '\0';
    }
    const std::string rest = spelling::RomajiLine(reading, &preferences).rest();
    return rest.empty() ? '\0' : rest.front();
  }
  spelling::RomajiLine line_;
};

class KanaReading final : public ReadingLine {
 public:
  explicit KanaReading(std::string_view reading) : line_(reading) {}

  [[nodiscard]] std::optional<Stroke> stroke_of(const Event& e) const override {
    if (e.kind != Event::Kind::PlacedKey) {
      return std::nullopt;
    }
    const char32_t kana = spelling::kana_typed({e.place, e.shift});
    // A stand-in key counts as the key it stands in for.
    return Stroke{kana != 0 ? keystroke_for_kana(kana).key : 0, '\0', kana};
  }
  bool type(const Stroke& s) override { return s.key_kana != 0 && line_.type(s.key_kana); }
  [[nodiscard]] bool done() const override { return line_.done(); }
  // The keys' kana with each mark joined to the kana before it: が, not か ゛
  // (which reads as two kana). A kana whose mark is still to come shows its
  // mark in the rest.
  [[nodiscard]] std::string typed() const override {
    return utf8(with_marks_joined(line_.typed()));
  }
  [[nodiscard]] std::string rest() const override { return utf8(with_marks_joined(line_.rest())); }
  [[nodiscard]] Keystroke next_key() const override {
    return line_.done() ? Keystroke{} : keystroke_for_kana(line_.next());
  }
  [[nodiscard]] std::size_t kana_done() const override { return line_.kana_done(); }
  [[nodiscard]] char32_t kana_now() const override { return line_.kana_now(); }
  [[nodiscard]] std::string hint() const override {
    const char32_t kana = line_.kana_now();
    if (kana == 0) {
      return {};
    }
    std::string keys;
    for (const char32_t k : spelling::key_kana_of(kana)) {
      if (!keys.empty()) {
        keys += ' ';
      }
      keys += encode_utf8(k);
    }
    return encode_utf8(kana) + " は " + keys;
  }
  [[nodiscard]] std::string shown(const Stroke& s) const override {
    return s.key_kana == 0 ? "?" : encode_utf8(s.key_kana);
  }

 private:
  static std::u32string with_marks_joined(const std::u32string& keys) {
    constexpr std::u32string_view kVoiced = U"かきくけこさしすせそたちつてとはひふへほ";
    constexpr std::u32string_view kHalfVoiced = U"はひふへほ";
    std::u32string out;
    for (const char32_t c : keys) {
      const char32_t before = out.empty() ? 0 : out.back();
      if (c == U'゛' && kVoiced.find(before) != std::u32string_view::npos) {
        out.back() = before + 1;
      } else if (c == U'゛' && before == U'う') {
        out.back() = U'ゔ';
      } else if (c == U'゜' && kHalfVoiced.find(before) != std::u32string_view::npos) {
        out.back() = before + 2;
      } else {
        out += c;
      }
    }
    return out;
  }
  static std::string utf8(const std::u32string& s) {
    return encode_utf8(std::vector<char32_t>(s.begin(), s.end()));
  }
  spelling::KanaLine line_;
};

}  // namespace

Keystroke keystroke_for_kana(char32_t key_kana) {
  const auto stroke = spelling::stroke_typing(key_kana);
  if (!stroke) {
    return {};
  }
  const int key = lessonkit::key_at(stroke->place);
  return {key, stroke->shift ? shift_key_for(key) : 0};
}

std::unique_ptr<ReadingLine> reading_line(InputMode mode,
                                          std::string_view reading,
                                          const spelling::Preferences& preferences,
                                          std::string_view next_reading) {
  if (mode == InputMode::Kana) {
    return std::make_unique<KanaReading>(reading);
  }
  return std::make_unique<RomajiReading>(reading, preferences, next_reading);
}

}  // namespace tutor::words
