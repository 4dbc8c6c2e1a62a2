#include "challenges/check_sets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "challenges/week_choice.h"
#include "console/text.h"
#include "spelling/kana_line.h"
#include "spelling/romaji.h"
#include "words/own_lessons.h"
#include "words/school_kanji.h"

namespace tutor::challenges {
namespace {

// Where a sentence is named in a failure: its set (from 1) and its text.
std::string where(std::size_t set, const Item& item) {
  return "kCheck" + std::to_string(set + 1) + ": " + std::string(item.written);
}

bool is_kanji(char32_t c) {
  return (c >= U'\u4E00' && c <= U'\u9FFF') || c == U'々';
}

bool is_hiragana(char32_t c) {
  return c >= U'ぁ' && c <= U'ゖ';
}

// Whether the reading is the written form with each run of kanji read as
// hiragana, at least one kana a kanji and at most four; every other
// character (kana, katakana, marks) is the same in both.
bool agrees(const std::vector<char32_t>& written, const std::vector<char32_t>& reading) {
  // can[i][j]: written from i on reads as reading from j on.
  std::vector<std::vector<char>> can(written.size() + 1, std::vector<char>(reading.size() + 1, 0));
  can[written.size()][reading.size()] = 1;
  for (std::size_t i = written.size(); i-- > 0;) {
    for (std::size_t j = reading.size() + 1; j-- > 0;) {
      if (!is_kanji(written[i])) {
        can[i][j] = j < reading.size() && reading[j] == written[i] && can[i + 1][j + 1];
        continue;
      }
      std::size_t run_end = i;
      while (run_end < written.size() && is_kanji(written[run_end])) {
        ++run_end;
      }
      const std::size_t run = run_end - i;
      for (std::size_t end = j; end < reading.size() && end < j + 4 * run; ++end) {
        if (!is_hiragana(reading[end])) {
          break;
        }
        if (end + 1 >= j + run && can[run_end][end + 1]) {
          can[i][j] = 1;
          break;
        }
      }
    }
  }
  return can[0][0];
}

// A class takes a new set each week and the same set all week: an ISO year
// has 52 or 53 weeks, and each set is twelve sentences.
TEST(CheckSets, EveryWeekOfAYearHasASetOfTwelveSentences) {
  EXPECT_GE(kCheckSets.size(), 52u);
  for (std::size_t s = 0; s < kCheckSets.size(); ++s) {
    EXPECT_EQ(kCheckSets[s].sentences.size(), 12u) << "kCheck" << s + 1;
  }
  // 2026 has 53 ISO weeks: none of them takes a set another took.
  std::set<std::size_t> taken;
  for (int week = 1; week <= 53; ++week) {
    taken.insert(week_set(IsoWeek{2026, week}, kCheckSets.size()));
  }
  EXPECT_EQ(taken.size(), 53u);
}

// Each sentence is one sentence, ending in 。, read in 15 to 40 kana (the
// marks 、。 not counted), and it fits one line of the drill screen, written
// form and reading both, so no sentence wraps in the middle of the check.
TEST(CheckSets, EveryReadingIsFifteenToFortyKanaOnOneLine) {
  for (std::size_t s = 0; s < kCheckSets.size(); ++s) {
    for (const Item& item : kCheckSets[s].sentences) {
      const std::vector<char32_t> reading = decode_utf8(item.reading);
      std::size_t kana = 0;
      for (const char32_t c : reading) {
        kana += (c != U'、' && c != U'。') ? 1 : 0;
      }
      EXPECT_GE(kana, 15u) << where(s, item);
      EXPECT_LE(kana, 40u) << where(s, item);
      ASSERT_FALSE(reading.empty()) << where(s, item);
      EXPECT_EQ(reading.back(), U'。') << where(s, item);
      EXPECT_EQ(std::count(reading.begin(), reading.end(), U'。'), 1) << where(s, item);
      EXPECT_LE(display_width(item.reading), words::kLineColumns) << where(s, item);
      EXPECT_LE(display_width(item.written), words::kLineColumns) << where(s, item);
    }
  }
}

// Every reading can be typed whole in romaji and in kana input: no
// character that a keystroke does not type, and none that kana input would
// pass over.
TEST(CheckSets, EveryReadingCanBeTypedInRomajiAndInKana) {
  for (std::size_t s = 0; s < kCheckSets.size(); ++s) {
    for (const Item& item : kCheckSets[s].sentences) {
      EXPECT_FALSE(spelling::RomajiLine(item.reading).untypeable_at()) << where(s, item);
      for (const char32_t c : spelling::as_hiragana(item.reading)) {
        EXPECT_FALSE(spelling::key_kana_of(c).empty())
            << encode_utf8(c) << " in " << where(s, item);
      }
    }
  }
}

// The reading is the written form read aloud: its kana and marks the same,
// each run of kanji read in hiragana, and no kanji left in the reading.
TEST(CheckSets, TheWrittenFormAndItsReadingAgree) {
  for (std::size_t s = 0; s < kCheckSets.size(); ++s) {
    for (const Item& item : kCheckSets[s].sentences) {
      const std::vector<char32_t> reading = decode_utf8(item.reading);
      EXPECT_TRUE(std::none_of(reading.begin(), reading.end(), is_kanji)) << where(s, item);
      EXPECT_TRUE(agrees(decode_utf8(item.written), reading))
          << where(s, item) << " / " << item.reading;
    }
  }
}

// The agreement itself: a kanji read as nothing, a kana changed, a mark
// dropped or a run read in katakana does not agree.
TEST(CheckSets, AReadingThatDoesNotFollowItsSentenceIsCaught) {
  auto agree = [](std::string_view written, std::string_view reading) {
    return agrees(decode_utf8(written), decode_utf8(reading));
  };
  EXPECT_TRUE(agree("今日は雨です。", "きょうはあめです。"));
  EXPECT_TRUE(agree("ボールを見た。", "ボールをみた。"));
  EXPECT_FALSE(agree("今日は雨です。", "きょうはです。"));
  EXPECT_FALSE(agree("今日は雨です。", "きょうがあめです。"));
  EXPECT_FALSE(agree("今日は、雨です。", "きょうはあめです。"));
  EXPECT_FALSE(agree("雨です。", "アメです。"));
  EXPECT_FALSE(agree("雨です。", "あめめめめめです。"));
}

// Every class from age 10 up takes the same set: kanji of the first three
// school years only (学年別漢字配当表), as the older children's set.
TEST(CheckSets, OnlyKanjiOfTheFirstThreeSchoolYearsAreWritten) {
  const std::u32string known = std::u32string(words::kFirstYearKanji) +
                               std::u32string(words::kSecondYearKanji) +
                               std::u32string(words::kThirdYearKanji);
  for (std::size_t s = 0; s < kCheckSets.size(); ++s) {
    for (const Item& item : kCheckSets[s].sentences) {
      for (const char32_t c : decode_utf8(item.written)) {
        if (c >= U'\u4E00' && c <= U'\u9FFF') {
          EXPECT_NE(known.find(c), std::u32string::npos)
              << encode_utf8(c) << " in " << where(s, item);
        }
      }
    }
  }
}

// No sentence comes twice, in one set or across the sets, as written or
// as read.
TEST(CheckSets, NoSentenceComesTwice) {
  std::set<std::string_view> written, read;
  for (std::size_t s = 0; s < kCheckSets.size(); ++s) {
    for (const Item& item : kCheckSets[s].sentences) {
      EXPECT_TRUE(written.insert(item.written).second) << where(s, item);
      EXPECT_TRUE(read.insert(item.reading).second) << where(s, item) << " / " << item.reading;
    }
  }
}

}  // namespace
}  // namespace tutor::challenges
