#pragma once

#include <array>
#include <optional>

#include "console/key_place.h"

namespace tutor::spelling {

// A key of the JIS kana layout (JIS X 6002, as X's `jp` keyboard data lists
// its kana level): its place, its kana, and its kana with Shift (0: none,
// Shift gives the plain kana).
struct KanaKey {
  KeyPlace place;
  char32_t kana;
  char32_t shifted;
};

// clang-format off
inline constexpr std::array<KanaKey, 48> kKanaLayout = {{
    {{'E', 1}, U'ぬ', 0}, {{'E', 2}, U'ふ', 0}, {{'E', 3}, U'あ', U'ぁ'}, {{'E', 4}, U'う', U'ぅ'},
    {{'E', 5}, U'え', U'ぇ'}, {{'E', 6}, U'お', U'ぉ'}, {{'E', 7}, U'や', U'ゃ'},
    {{'E', 8}, U'ゆ', U'ゅ'}, {{'E', 9}, U'よ', U'ょ'}, {{'E', 10}, U'わ', U'を'},
    {{'E', 11}, U'ほ', 0}, {{'E', 12}, U'へ', 0}, {{'E', 13}, U'ー', 0},
    {{'D', 1}, U'た', 0}, {{'D', 2}, U'て', 0}, {{'D', 3}, U'い', U'ぃ'}, {{'D', 4}, U'す', 0},
    {{'D', 5}, U'か', 0}, {{'D', 6}, U'ん', 0}, {{'D', 7}, U'な', 0}, {{'D', 8}, U'に', 0},
    {{'D', 9}, U'ら', 0}, {{'D', 10}, U'せ', 0}, {{'D', 11}, U'゛', 0}, {{'D', 12}, U'゜', U'「'},
    {{'C', 1}, U'ち', 0}, {{'C', 2}, U'と', 0}, {{'C', 3}, U'し', 0}, {{'C', 4}, U'は', 0},
    {{'C', 5}, U'き', 0}, {{'C', 6}, U'く', 0}, {{'C', 7}, U'ま', 0}, {{'C', 8}, U'の', 0},
    {{'C', 9}, U'り', 0}, {{'C', 10}, U'れ', 0}, {{'C', 11}, U'け', 0}, {{'C', 12}, U'む', U'」'},
    {{'B', 1}, U'つ', U'っ'}, {{'B', 2}, U'さ', 0}, {{'B', 3}, U'そ', 0}, {{'B', 4}, U'ひ', 0},
    {{'B', 5}, U'こ', 0}, {{'B', 6}, U'み', 0}, {{'B', 7}, U'も', 0}, {{'B', 8}, U'ね', U'、'},
    {{'B', 9}, U'る', U'。'}, {{'B', 10}, U'め', U'・'}, {{'B', 11}, U'ろ', 0},
}};
// clang-format on

// Keyboards without the ¥ key or the ろ key type their kana elsewhere: ー on
// the key left of 1, ろ on that key with Shift, or on the key left of Z.
inline constexpr KeyPlace kLeftOfOne = {'E', 0};
inline constexpr KeyPlace kLeftOfZ = {'B', 0};

// A keystroke of kana input: a key and whether Shift is held.
struct KanaStroke {
  KeyPlace place;
  bool shift = false;
  friend constexpr bool operator==(KanaStroke, KanaStroke) = default;
};

// The kana a keystroke types; 0 for a key with none.
[[nodiscard]] constexpr char32_t kana_typed(KanaStroke s) {
  if (s.place == kLeftOfOne) {
    return s.shift ? U'ろ' : U'ー';
  }
  if (s.place == kLeftOfZ) {
    return U'ろ';
  }
  for (const KanaKey& k : kKanaLayout) {
    if (k.place == s.place) {
      return s.shift && k.shifted != 0 ? k.shifted : k.kana;
    }
  }
  return 0;
}

// The keystroke of the layout that types a kana (its own key, never a
// stand-in); nothing for a kana no key types.
[[nodiscard]] constexpr std::optional<KanaStroke> stroke_typing(char32_t kana) {
  for (const KanaKey& k : kKanaLayout) {
    if (k.kana == kana) {
      return KanaStroke{k.place, false};
    }
    if (k.shifted == kana) {
      return KanaStroke{k.place, true};
    }
  }
  return std::nullopt;
}

}  // namespace tutor::spelling
