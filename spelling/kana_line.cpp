#include "spelling/kana_line.h"

#include "spelling/romaji.h"

namespace tutor::spelling {
namespace {

// Voiced and half-voiced kana beside the plain kana they are made from.
constexpr std::u32string_view kVoiced = U"がぎぐげござじずぜぞだぢづでどばびぶべぼゔ";
constexpr std::u32string_view kVoicedFrom = U"かきくけこさしすせそたちつてとはひふへほう";
constexpr std::u32string_view kHalfVoiced = U"ぱぴぷぺぽ";
constexpr std::u32string_view kHalfVoicedFrom = U"はひふへほ";

}  // namespace

std::u32string key_kana_of(char32_t kana) {
  if (stroke_typing(kana)) {
    return {kana};
  }
  if (const auto at = kVoiced.find(kana); at != std::u32string_view::npos) {
    return {kVoicedFrom[at], U'゛'};
  }
  if (const auto at = kHalfVoiced.find(kana); at != std::u32string_view::npos) {
    return {kHalfVoicedFrom[at], U'゜'};
  }
  return {};
}

KanaLine::KanaLine(std::string_view reading) : reading_(as_hiragana(reading)) {
  for (std::size_t i = 0; i < reading_.size(); ++i) {
    for (const char32_t k : key_kana_of(reading_[i])) {
      strokes_.push_back({k, i});
    }
  }
}

bool KanaLine::type(char32_t key_kana) {
  if (done() || strokes_[next_].key_kana != key_kana) {
    return false;
  }
  ++next_;
  return true;
}

std::u32string KanaLine::typed() const {
  std::u32string out;
  for (std::size_t i = 0; i < next_; ++i) {
    out += strokes_[i].key_kana;
  }
  return out;
}

std::u32string KanaLine::rest() const {
  std::u32string out;
  for (std::size_t i = next_; i < strokes_.size(); ++i) {
    out += strokes_[i].key_kana;
  }
  return out;
}

std::size_t KanaLine::kana_done() const {
  return done() ? reading_.size() : strokes_[next_].kana;
}

char32_t KanaLine::kana_now() const {
  return done() ? 0 : reading_[strokes_[next_].kana];
}

}  // namespace tutor::spelling
