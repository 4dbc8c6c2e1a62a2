#pragma once

namespace tutor::words {

// How the word course's lessons are typed: romaji through an input method's
// spellings, or kana on the JIS kana layout, key by key.
enum class InputMode { Romaji, Kana };

}  // namespace tutor::words
