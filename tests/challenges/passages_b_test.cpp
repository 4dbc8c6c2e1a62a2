#include "challenges/passages_b.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "console/text.h"
#include "spelling/romaji.h"
#include "words/own_lessons.h"

namespace tutor::challenges {
namespace {

bool is_kana(char32_t c) {
  return (c >= U'ぁ' && c <= U'ゖ') || (c >= U'ァ' && c <= U'ヺ') || c == U'ー';
}
bool is_mark(char32_t c) {
  return c == U'、' || c == U'。' || c == U'！' || c == U'？';
}

std::u32string marks_of(std::string_view text) {
  std::u32string out;
  for (const char32_t c : decode_utf8(text)) {
    if (is_mark(c))
      out += c;
  }
  return out;
}

// The kana and marks of a text, as hiragana, in order.
std::u32string kana_of(std::string_view text) {
  std::u32string out;
  for (const char32_t c : spelling::as_hiragana(text)) {
    if (is_kana(c) || is_mark(c))
      out += c;
  }
  return out;
}

// Whether every character of part appears in whole, in the same order.
bool in_order(const std::u32string& part, const std::u32string& whole) {
  std::size_t at = 0;
  for (const char32_t c : part) {
    at = whole.find(c, at);
    if (at == std::u32string::npos)
      return false;
    ++at;
  }
  return true;
}

TEST(PassagesB, TenPassagesOfTheTestsLength) {
  ASSERT_EQ(kPassagesB.size(), 10u);
  std::set<std::string_view> titles;
  for (const Passage& passage : kPassagesB) {
    EXPECT_TRUE(titles.insert(passage.title).second) << passage.title;
    EXPECT_FALSE(passage.title.empty());
    std::size_t written = 0;
    for (const Item& item : passage.sentences)
      written += decode_utf8(item.written).size();
    EXPECT_GE(written, 800u) << passage.title;
    EXPECT_LE(written, 1000u) << passage.title;
  }
}

// Every sentence can be typed, fits, is written once, and is read in kana
// only, its written kana found in its reading in the same order, with the
// same punctuation.
TEST(PassagesB, EverySentenceIsTypableAndMatchesItsReading) {
  std::set<std::string_view> seen;
  for (const Passage& passage : kPassagesB) {
    for (const Item& item : passage.sentences) {
      EXPECT_TRUE(seen.insert(item.written).second) << item.written;
      EXPECT_FALSE(spelling::RomajiLine(item.reading).untypeable_at()) << item.reading;
      const auto reading = decode_utf8(item.reading);
      EXPECT_LE(reading.size(), 120u) << item.reading;
      EXPECT_LE(decode_utf8(item.written).size(), words::kLongestItem) << item.written;
      for (const char32_t c : reading) {
        EXPECT_TRUE(is_kana(c) || is_mark(c)) << item.reading;
      }
      for (const char32_t c : decode_utf8(item.written)) {
        EXPECT_GT(c, U'\x7f') << item.written;  // no Latin letters, digits or spaces
      }
      EXPECT_TRUE(in_order(kana_of(item.written), kana_of(item.reading))) << item.written;
      EXPECT_EQ(marks_of(item.reading), marks_of(item.written)) << item.written;
    }
  }
}

}  // namespace
}  // namespace tutor::challenges
