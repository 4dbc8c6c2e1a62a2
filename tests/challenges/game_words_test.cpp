#include "challenges/game_words.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "spelling/romaji.h"
#include "words/school_kanji.h"

namespace tutor::challenges {
namespace {

struct Course {
  const char* name;
  std::span<const Item> items;
  std::size_t at_least;
  std::size_t shortest;  // kana of the reading
  std::size_t longest;
};

const Course kCourses[] = {
    {"short", kSpaceWords.short_words, 80, 2, 4},
    {"middle", kSpaceWords.middle_words, 80, 5, 7},
    {"long", kSpaceWords.long_words, 60, 8, 12},
};

// Hiragana (katakana become hiragana first) and the long-vowel mark.
bool is_kana(char32_t c) {
  return (c >= U'\u3041' && c <= U'\u3096') || c == U'\u30FC';
}
bool is_kanji(char32_t c) {
  return c >= U'\u4E00' && c <= U'\u9FFF';
}

// Whether the kana of the written text come, in order, in the reading.
bool kana_agree(const Item& item) {
  const std::u32string reading = spelling::as_hiragana(item.reading);
  std::size_t at = 0;
  for (const char32_t c : spelling::as_hiragana(item.written)) {
    if (!is_kana(c))
      continue;
    at = reading.find(c, at);
    if (at == std::u32string::npos)
      return false;
    ++at;
  }
  return true;
}

TEST(GameWords, EachCourseHasEnoughWordsOfItsLength) {
  for (const Course& course : kCourses) {
    EXPECT_GE(course.items.size(), course.at_least) << course.name;
    for (const Item& item : course.items) {
      const std::size_t kana = spelling::as_hiragana(item.reading).size();
      EXPECT_GE(kana, course.shortest) << item.reading << " (" << course.name << ")";
      EXPECT_LE(kana, course.longest) << item.reading << " (" << course.name << ")";
    }
  }
}

TEST(GameWords, EveryReadingIsKanaAndCanBeTyped) {
  for (const Course& course : kCourses) {
    for (const Item& item : course.items) {
      EXPECT_FALSE(spelling::RomajiLine(item.reading).untypeable_at()) << item.reading;
      for (const char32_t c : spelling::as_hiragana(item.reading)) {
        EXPECT_TRUE(is_kana(c)) << item.reading;
      }
    }
  }
}

// The written text is kana and kanji only, its kana are the reading's, and
// a word written without kanji is typed as written.
TEST(GameWords, WrittenAndReadingAgree) {
  for (const Course& course : kCourses) {
    for (const Item& item : course.items) {
      bool has_kanji = false;
      for (const char32_t c : spelling::as_hiragana(item.written)) {
        EXPECT_TRUE(is_kana(c) || is_kanji(c)) << item.written;
        has_kanji = has_kanji || is_kanji(c);
      }
      EXPECT_TRUE(kana_agree(item)) << item.written << " / " << item.reading;
      if (!has_kanji) {
        EXPECT_EQ(item.written, item.reading);
      }
    }
  }
}

TEST(GameWords, KanjiOnlyOfTheFirstThreeSchoolYears) {
  const std::u32string known = std::u32string(words::kFirstYearKanji) +
                               std::u32string(words::kSecondYearKanji) +
                               std::u32string(words::kThirdYearKanji);
  for (const Course& course : kCourses) {
    for (const Item& item : course.items) {
      for (const char32_t c : spelling::as_hiragana(item.written)) {
        if (is_kanji(c)) {
          EXPECT_NE(known.find(c), std::u32string::npos) << item.written;
        }
      }
    }
  }
}

TEST(GameWords, NoWordInTwoPlaces) {
  std::set<std::string_view> written;
  std::set<std::string_view> readings;
  for (const Course& course : kCourses) {
    for (const Item& item : course.items) {
      EXPECT_TRUE(written.insert(item.written).second) << item.written;
      EXPECT_TRUE(readings.insert(item.reading).second) << item.reading;
    }
  }
}

}  // namespace
}  // namespace tutor::challenges
