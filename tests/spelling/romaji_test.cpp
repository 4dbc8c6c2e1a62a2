#include "spelling/romaji.h"

#include <gtest/gtest.h>

#include <random>

#include "console/text.h"
#include "spelling/romaji_table.h"
#include "words/material.h"

namespace tutor::spelling {
namespace {

// How many keys of `keys` the line takes before the first it refuses; all of
// them when it takes every one.
std::size_t taken(RomajiLine& line, std::string_view keys) {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (!line.type(keys[i])) {
      return i;
    }
  }
  return keys.size();
}

// Whether `keys` type the whole reading with no wrong keystroke.
bool types(std::string_view reading, std::string_view keys) {
  RomajiLine line(reading);
  return taken(line, keys) == keys.size() && line.done();
}

TEST(Romaji, EverySpellingOfTheTableTypesItsKana) {
  for (const RomajiEntry& e : kRomajiTable) {
    for (std::string_view s : e.spellings) {
      if (!s.empty()) {
        EXPECT_TRUE(types(e.kana, s)) << e.kana << " as " << s;
      }
    }
  }
  // Katakana as the same hiragana; contracted kana in their parts.
  EXPECT_TRUE(types("シャツ", "shatsu"));
  EXPECT_TRUE(types("ヴァイオリン", "vaiorinn"));
  EXPECT_TRUE(types("きゃ", "kixya"));
  EXPECT_TRUE(types("ふぁ", "fuxa"));
  EXPECT_TRUE(types("ちぇ", "tile"));
}

TEST(Romaji, NearMissesAreRefusedWhereTheyGoWrong) {
  const struct {
    std::string_view reading, keys;
    std::size_t taken;
  } cases[] = {
      {"ち", "si", 0},        {"こんや", "konya", 3},  // a single n before や
      {"こんな", "konna", 4},                          // こんあ, not こんな
      {"かん", "kan", 3},                              // a single n at the end is not done
      {"んあ", "na", 1},      {"っあ", "aa", 0},      {"っな", "nna", 0},
      {"っ", "tt", 0},        {"し", "sj", 1},        {"を", "o", 0},
      {"ぢ", "ji", 0},        {"づ", "zu", 0},        {"ー", "_", 0},
  };
  for (const auto& c : cases) {
    RomajiLine line(c.reading);
    EXPECT_EQ(taken(line, c.keys), c.taken) << c.reading << " as " << c.keys;
  }
}

TEST(Romaji, NAndSmallTsuFollowTheirRules) {
  const std::pair<std::string_view, std::string_view> typed[] = {
      {"かんじ", "kanji"},
      {"かんじ", "kannji"},
      {"かん", "kann"},
      {"かん", "kaxn"},
      {"かん", "kan'"},
      {"こんや", "konnya"},
      {"こんや", "kon'ya"},
      {"ほん。", "hon."},
      {"ほん、", "hon,"},
      {"ぺん「", "pen["},
      {"ほんー", "hon-"},
      {"きっぷ", "kippu"},
      {"きっぷ", "kixtupu"},
      {"まっちゃ", "maccha"},
      {"まっちゃ", "mattya"},
      {"ざっし", "zasshi"},
      {"ざっし", "zassi"},
      {"いっち", "itti"},
      {"あっ", "axtu"},
      {"あっ", "altsu"},
      {"しんぶん", "sinbun'"},
      {"しんぶん", "shinbunn"},
      {"こんにちは", "konnnichiha"},
      {"れんあい", "rennai"},
  };
  for (const auto& [reading, keys] : typed) {
    EXPECT_TRUE(types(reading, keys)) << reading << " as " << keys;
  }
}

// A last ん before another item: a single n where that item begins with a
// consonant other than n and y (every one of them), nn before a vowel, y or
// n and at the end of the last item; the single n waits for the next key.
TEST(Romaji, ALastNIsASingleNBeforeAnItemThatBeginsWithAConsonant) {
  auto first_key = [](std::string_view reading) { return RomajiLine(reading).rest().front(); };
  for (const std::string_view next :
       {"か", "さ", "た", "は", "ま", "ら", "わ", "が", "ざ", "だ", "ば", "ぱ", "じゃ", "ふぁ",
        "ゔ", "くぁ", "ぁ", "ちぇ", "。"}) {
    const char key = first_key(next);
    RomajiLine line("きょねん", nullptr, key);
    ASSERT_EQ(taken(line, "kyone"), 5u);
    EXPECT_EQ(line.rest(), "n") << next;
    ASSERT_EQ(taken(line, "n"), 1u);
    EXPECT_FALSE(line.done()) << next;
    EXPECT_TRUE(line.awaits_next()) << next;
    EXPECT_EQ(line.kana_now(), U'ん');
    EXPECT_TRUE(line.ends_before(key)) << next << " " << key;
    EXPECT_FALSE(line.ends_before('a'));
    line.end_before_next();
    EXPECT_TRUE(line.done()) << next;
    // The habit of nn is taken all the same.
    RomajiLine habit("きょねん", nullptr, key);
    EXPECT_EQ(taken(habit, "kyonenn"), 7u);
    EXPECT_TRUE(habit.done());
  }
  for (const std::string_view next : {"いぬ", "やま", "なつ", "うみ", ""}) {
    RomajiLine line("きょねん", nullptr, next.empty() ? '\0' : first_key(next));
    ASSERT_EQ(taken(line, "kyonen"), 6u);
    EXPECT_EQ(line.rest(), "n") << next;
    EXPECT_FALSE(line.awaits_next()) << next;
    EXPECT_FALSE(line.ends_before('k'));
  }
}

TEST(Romaji, TheGuideIsTheShortestSpellingAndFollowsTheLearner) {
  RomajiLine line("しんぶん");
  EXPECT_EQ(line.rest(), "sinbunn");
  ASSERT_TRUE(line.type('s') && line.type('h'));
  EXPECT_EQ(line.typed(), "sh");
  EXPECT_EQ(line.rest(), "inbunn");
  EXPECT_EQ(line.kana_done(), 0u);
  EXPECT_EQ(line.kana_now(), U'し');
  ASSERT_TRUE(line.type('i') && line.type('n'));
  EXPECT_EQ(line.kana_done(), 1u);  // ん may still be nn, or n with ぶ
  EXPECT_EQ(line.rest(), "bunn");
  EXPECT_EQ(taken(line, "bunn"), 4u);
  EXPECT_TRUE(line.done());
  EXPECT_EQ(line.typed_kana(), (std::vector<TypedKana>{{U"し", "shi", U"し", "shi"},
                                                       {U"んぶ", "nbu", U"ぶ", "bu"},
                                                       {U"ん", "nn", U"ん", "nn"}}));
  // Among equally short spellings, the learner's last choice.
  EXPECT_EQ(RomajiLine("ふじ").rest(), "fuji");
  const Preferences chose = {{U"ふ", "hu"}, {U"じ", "zi"}, {U"し", "shi"}};
  EXPECT_EQ(RomajiLine("ふじし", &chose).rest(), "huzisi");  // shi is longer than si
  EXPECT_EQ(RomajiLine("ちゃ").rest(), "tya");
  EXPECT_EQ(RomajiLine("x").untypeable_at(), 0u);
  EXPECT_EQ(RomajiLine("かな1").untypeable_at(), 2u);
  EXPECT_EQ(RomajiLine("かっ").untypeable_at(), std::nullopt);
}

// Each family of syllables in a line, typed in the spellings it takes; the
// order catches a spelling given to the wrong syllable of its family.
TEST(Romaji, EveryFamilyOfSyllablesTakesItsSpellings) {
  const std::pair<std::string_view, std::string_view> families[] = {
      {"てゃてぇてょでゃでぇでょ", "thathethodhadhedho"},
      {"とぁとぃとぇとぉどぁどぃどぇどぉ", "twatwitwetwodwadwidwedwo"},
      {"ふゃふょふぅ", "fyafyofwu"},
      {"ゔゃゔょ", "vyavyo"},
      {"ぃぃぇぇ", "xyilyixyelye"},
      {"くゃくゅくょくぅ", "qyaqyuqyoqwu"},
      {"ぐぃぐぅぐぇぐぉ", "gwigwugwegwo"},
      {"すぁすぃすぅすぇすぉ", "swaswiswusweswo"},
      {"っとぁんでょっふゃんすぃ", "ttwandhoffyanswi"},  // っ doubled, ん single
      {"テャドォ", "thadwo"},
  };
  for (const auto& [reading, keys] : families) {
    EXPECT_TRUE(types(reading, keys)) << reading << " as " << keys;
  }
  // A neighbour's spelling is refused where it parts from the syllable's.
  const std::pair<std::string_view, std::string_view> near_misses[] = {
      {"てゃ", "thi"}, {"とぉ", "twu"}, {"くゃ", "qyo"}, {"すぁ", "swo"}, {"ぃ", "xye"}};
  for (const auto& [reading, keys] : near_misses) {
    RomajiLine near(reading);
    EXPECT_EQ(taken(near, keys), 2u) << reading << " as " << keys;
  }
  // The learner's spellings are noted for the syllables they typed whole, and
  // the guide follows them where they are among the shortest.
  RomajiLine line("てゃぃぇ");
  ASSERT_EQ(taken(line, "thalyile"), 8u);
  Preferences chose;
  for (const TypedKana& t : line.typed_kana()) {
    chose[t.chosen] = t.chosen_spelling;
  }
  EXPECT_EQ(chose, (Preferences{{U"てゃ", "tha"}, {U"ぃ", "lyi"}, {U"ぇ", "le"}}));
  EXPECT_EQ(RomajiLine("っとぁぃぇ", &chose).rest(), "ttwaxile");
}

// A spelling built from the table by the rules, independently of the line:
// random choices from the end of the reading to its start.
std::string random_spelling(const std::u32string& reading, std::mt19937& rng) {
  std::vector<std::string> from(reading.size() + 1);
  auto pick = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  for (std::size_t i = reading.size(); i-- > 0;) {
    std::vector<std::string> options;
    for (std::size_t len = 1; len <= 2 && i + len <= reading.size(); ++len) {
      for (const RomajiEntry& e : kRomajiTable) {
        const std::vector<char32_t> kana = decode_utf8(e.kana);
        if (std::u32string(kana.begin(), kana.end()) == reading.substr(i, len)) {
          for (std::string_view s : e.spellings) {
            if (!s.empty() && (i + len == reading.size() || !from[i + len].empty())) {
              options.push_back(std::string(s) + from[i + len]);
            }
          }
        }
      }
    }
    const std::string& next = from[i + 1];
    if (reading[i] == U'っ' && !next.empty() &&
        kDoublingConsonants.find(next.front()) != std::string_view::npos) {
      options.push_back(next.front() + next);
    }
    if (reading[i] == U'ん' && !next.empty() &&
        std::string_view("bcdfghjklmpqrstvwxz,.[]/!?-").find(next.front()) !=
            std::string_view::npos) {
      options.push_back("n" + next);
    }
    if (!options.empty()) {
      from[i] = options[pick(options.size())];
    }
  }
  return from[0];
}

// Every item of the built-in material, and readings with every rule, typed in
// a random valid spelling: every keystroke is taken, and from every point the
// guide completes the line.
TEST(Romaji, AnyValidSpellingIsTakenAndTheGuideAlwaysCompletesTheLine) {
  std::vector<std::string_view> readings = {"てぃっしゅ", "ヴァイオリン", "くぉーつ", "つぁ",
                                            "でゅえっと", "うぇぶ",       "せんえん", "ふぁいる"};
  for (const words::Lesson& lesson : words::kLessons) {
    for (const words::Item& item : lesson.items) {
      readings.push_back(item.reading);
    }
  }
  std::mt19937 rng(11);
  for (std::string_view reading : readings) {
    for (int round = 0; round < 3; ++round) {
      const std::string keys = random_spelling(as_hiragana(reading), rng);
      ASSERT_FALSE(keys.empty()) << reading;
      RomajiLine line(reading);
      for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i % 3 == static_cast<std::size_t>(round)) {
          RomajiLine guided = line;
          const std::string rest = guided.rest();
          ASSERT_EQ(taken(guided, rest), rest.size()) << reading << " after " << keys.substr(0, i);
          ASSERT_TRUE(guided.done()) << reading << " after " << keys.substr(0, i) << " + " << rest;
        }
        ASSERT_TRUE(line.type(keys[i])) << reading << " as " << keys << " at " << i;
      }
      EXPECT_TRUE(line.done()) << reading << " as " << keys;
      EXPECT_EQ(line.rest(), "");
    }
  }
}

}  // namespace
}  // namespace tutor::spelling
