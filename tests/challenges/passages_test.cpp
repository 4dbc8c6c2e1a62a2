#include "challenges/passages_a.h"
#include "challenges/passages_b.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "console/text.h"
#include "spelling/romaji.h"
#include "words/own_lessons.h"

namespace tutor::challenges {
namespace {

constexpr std::size_t kLongestReading = 120;

bool is_kana(char32_t c) {
  return (c >= U'ぁ' && c <= U'ゖ') || (c >= U'ァ' && c <= U'ヺ') || c == U'ー';
}
bool is_mark(char32_t c) {
  return c == U'、' || c == U'。' || c == U'！' || c == U'？';
}

// A text's kana (as hiragana) and punctuation, in order.
std::u32string kana_and_marks(std::string_view text) {
  std::u32string out;
  for (const char32_t c : spelling::as_hiragana(text)) {
    if (is_kana(c) || is_mark(c))
      out += c;
  }
  return out;
}

std::u32string marks(std::string_view text) {
  std::u32string out;
  for (const char32_t c : decode_utf8(text)) {
    if (is_mark(c))
      out += c;
  }
  return out;
}

// Whether the characters of part all occur in whole in the same order.
bool occurs_in_order(const std::u32string& part, const std::u32string& whole) {
  std::size_t at = 0;
  for (const char32_t c : part) {
    at = whole.find(c, at);
    if (at == std::u32string::npos)
      return false;
    ++at;
  }
  return true;
}

// Both series, as one test takes them: titles and sentences are each
// the test's own across all twenty.
std::vector<Passage> all_passages() {
  std::vector<Passage> all(kPassagesA.begin(), kPassagesA.end());
  all.insert(all.end(), kPassagesB.begin(), kPassagesB.end());
  return all;
}

TEST(Passages, TwentyPassagesOfTheTestsLengthUnderTitlesOfTheirOwn) {
  ASSERT_EQ(all_passages().size(), 20u);
  std::set<std::string_view> titles;
  for (const Passage& passage : all_passages()) {
    EXPECT_FALSE(passage.title.empty());
    EXPECT_TRUE(titles.insert(passage.title).second) << passage.title;
    std::size_t characters = 0;
    for (const Item& item : passage.sentences)
      characters += decode_utf8(item.written).size();
    EXPECT_GE(characters, 800u) << passage.title;
    EXPECT_LE(characters, 1000u) << passage.title;
  }
}

// Each sentence appears once, can be typed, fits, and its reading is kana
// and punctuation only, holding the written text's kana in order and the
// same punctuation.
TEST(Passages, EverySentenceIsTypableAndAgreesWithItsReading) {
  std::set<std::string_view> sentences;
  for (const Passage& passage : all_passages()) {
    for (const Item& item : passage.sentences) {
      EXPECT_TRUE(sentences.insert(item.written).second) << item.written;
      EXPECT_FALSE(spelling::RomajiLine(item.reading).untypeable_at()) << item.reading;
      const auto reading = decode_utf8(item.reading);
      EXPECT_LE(reading.size(), kLongestReading) << item.reading;
      EXPECT_LE(decode_utf8(item.written).size(), words::kLongestItem) << item.written;
      for (const char32_t c : reading)
        EXPECT_TRUE(is_kana(c) || is_mark(c)) << item.reading;
      for (const char32_t c : decode_utf8(item.written))
        EXPECT_GE(c, U'\x80') << item.written;  // no Latin letters, digits or spaces
      EXPECT_EQ(marks(item.written), marks(item.reading)) << item.written;
      EXPECT_TRUE(occurs_in_order(kana_and_marks(item.written), kana_and_marks(item.reading)))
          << item.written;
    }
  }
}

}  // namespace
}  // namespace tutor::challenges
