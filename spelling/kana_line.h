#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "spelling/kana_layout.h"

namespace tutor::spelling {

// The reading of one item, typed in kana input on the JIS kana layout, judged
// keystroke by keystroke. A kana on a key takes that key (with Shift for the
// shifted kana: small kana, を, 「」、。・); a voiced or half-voiced kana takes
// its plain kana's key, then ゛ or ゜ (が: か ゛; ぱ: は ゜; ゔ: う ゛). Katakana
// is typed as the same hiragana. A character no key types (？ ！, a space,
// Latin letters) is passed over: it is given, not typed.
class KanaLine {
 public:
  explicit KanaLine(std::string_view reading);

  // Takes a keystroke by the kana its key types; false (and nothing
  // changes) when it is not the next one.
  bool type(char32_t key_kana);

  [[nodiscard]] bool done() const { return next_ == strokes_.size(); }
  // The kana of the keys struck so far and of the keys left, as their keys
  // show them: がっこう is typed か ゛ っ こ う.
  [[nodiscard]] std::u32string typed() const;
  [[nodiscard]] std::u32string rest() const;
  // The key kana of the next keystroke, 0 when done.
  [[nodiscard]] char32_t next() const { return done() ? 0 : strokes_[next_].key_kana; }
  // The code points of the reading typed whole (or given).
  [[nodiscard]] std::size_t kana_done() const;
  // The kana being typed now (as hiragana), 0 when done.
  [[nodiscard]] char32_t kana_now() const;

 private:
  struct Stroke {
    char32_t key_kana;
    std::size_t kana;  // the code point of the reading it helps type
  };
  std::u32string reading_;  // as hiragana
  std::vector<Stroke> strokes_;
  std::size_t next_ = 0;
};

// The keys' kana that type one kana: one, two (a voiced or half-voiced kana),
// or none (a character no key types).
[[nodiscard]] std::u32string key_kana_of(char32_t kana);

}  // namespace tutor::spelling
