#include "spelling/kana_line.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "console/text.h"

namespace tutor::spelling {
namespace {

std::string read_all(const char* file) {
  std::ifstream in(file);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The kana keysym's character as hiragana, from the comments of X's keysym
// list ("XK_kana_NU 0x04c7 /* U+30CC KATAKANA LETTER NU */"); a deprecated
// name is the character of its value's other name.
std::map<std::string, char32_t> kana_keysyms() {
  const std::string defs = read_all("/usr/include/X11/keysymdef.h");
  const std::regex line(R"(#define XK_(\w+)\s+(0x04[0-9a-f]{2})\s+/\*\s*(U\+([0-9A-F]{4}))?)");
  std::map<std::string, std::string> values;
  std::map<std::string, char32_t> by_value;
  for (std::sregex_iterator it(defs.begin(), defs.end(), line), end; it != end; ++it) {
    values[(*it)[1].str()] = (*it)[2].str();
    if ((*it)[4].matched) {
      auto ch = static_cast<char32_t>(std::stoul((*it)[4].str(), nullptr, 16));
      by_value[(*it)[2].str()] = (ch >= U'ァ' && ch <= U'ヶ') ? ch - 0x60 : ch;
    }
  }
  std::map<std::string, char32_t> out;
  for (const auto& [name, value] : values) {
    out[name] = by_value.at(value);
  }
  return out;
}

// The layout is the kana level of X's `jp` keyboard data, key for key.
TEST(KanaLayout, IsTheKanaLevelOfTheJpKeyboardData) {
  const std::string jp = read_all("/usr/share/X11/xkb/symbols/jp");
  const std::size_t from = jp.find("xkb_symbols \"kana\"");
  ASSERT_NE(from, std::string::npos) << "no kana section in the jp keyboard data";
  const std::string kana = jp.substr(from, jp.find("};\n};", from) - from);
  const auto keysyms = kana_keysyms();
  const std::regex key(R"(key <A([EDCB])(\d\d)> \{ \[ (\w+)(?:, (\w+))?\s*\])");
  std::size_t keys = 0;
  for (std::sregex_iterator it(kana.begin(), kana.end(), key), end; it != end; ++it, ++keys) {
    const KeyPlace place{(*it)[1].str()[0], std::stoi((*it)[2].str())};
    const char32_t plain = keysyms.at((*it)[3].str());
    const char32_t shifted = (*it)[4].matched ? keysyms.at((*it)[4].str()) : plain;
    EXPECT_EQ(kana_typed({place, false}), plain) << (*it)[0].str();
    EXPECT_EQ(kana_typed({place, true}), shifted) << (*it)[0].str();
    EXPECT_EQ(stroke_typing(plain), (KanaStroke{place, false})) << (*it)[0].str();
  }
  EXPECT_EQ(keys, kKanaLayout.size());
}

// Types a reading by the keys' kana of a list; false at the first refused.
bool type_all(KanaLine& line, std::u32string_view keys) {
  for (const char32_t k : keys) {
    if (!line.type(k)) {
      return false;
    }
  }
  return line.done();
}

// Every voiced and half-voiced kana (and katakana) is its plain kana's key,
// then ゛ or ゜, whose keys are the two right of P; the plain kana alone is
// not enough, and the mark first is wrong.
TEST(KanaLine, VoicedKanaAreTwoKeystrokes) {
  EXPECT_EQ(kana_typed({{'D', 11}, false}), U'゛');
  EXPECT_EQ(kana_typed({{'D', 12}, false}), U'゜');
  // In Unicode a voiced kana follows its plain one, a half-voiced one follows that.
  for (const char32_t plain : std::u32string_view(U"かきくけこさしすせそたちつてとはひふへほ")) {
    const bool ha_row = std::u32string_view(U"はひふへほ").find(plain) != std::u32string::npos;
    for (const auto& [kana, mark] : {std::pair{plain + 1, U'゛'}, std::pair{plain + 2, U'゜'}}) {
      if (mark == U'゜' && !ha_row) {
        continue;
      }
      for (const char32_t written : {kana, kana + 0x60}) {  // hiragana, katakana
        KanaLine line(encode_utf8(written));
        EXPECT_FALSE(line.type(mark));
        EXPECT_TRUE(line.type(plain));
        EXPECT_FALSE(line.done());
        EXPECT_EQ(line.rest(), std::u32string{mark});
        EXPECT_TRUE(line.type(mark)) << encode_utf8(written);
        EXPECT_TRUE(line.done());
      }
    }
  }
  KanaLine vu("ヴ");
  EXPECT_TRUE(type_all(vu, U"う゛"));
}

// The guide's keys and the kana being typed follow the line; a character no
// key types is passed over; a wrong key moves nothing.
TEST(KanaLine, FollowsTheKeysAndPassesOverWhatNoKeyTypes) {
  KanaLine line("ジャズ？「ロー」");
  EXPECT_EQ(line.rest(), U"し゛ゃす゛「ろー」");
  EXPECT_EQ(line.kana_now(), U'じ');
  EXPECT_TRUE(line.type(U'し'));
  EXPECT_FALSE(line.type(U'や'));  // ゃ is shifted
  EXPECT_EQ(line.typed(), U"し");
  EXPECT_EQ(line.kana_done(), 0u);
  EXPECT_TRUE(type_all(line, U"゛ゃす゛「ろー」"));
  EXPECT_EQ(line.kana_done(), 8u);
  EXPECT_EQ(line.kana_now(), 0u);

  KanaLine marks_only("？！");
  EXPECT_TRUE(marks_only.done());
  EXPECT_EQ(marks_only.kana_done(), 2u);
}

// Keyboards without the ¥ or ろ key: ー on the key left of 1, ろ on it with
// Shift or on the key left of Z. Keys without a shifted kana type their
// kana with Shift too.
TEST(KanaLayout, StandInsAndShiftedKeys) {
  EXPECT_EQ(kana_typed({kLeftOfOne, false}), U'ー');
  EXPECT_EQ(kana_typed({kLeftOfOne, true}), U'ろ');
  EXPECT_EQ(kana_typed({kLeftOfZ, false}), U'ろ');
  EXPECT_EQ(kana_typed({{'C', 3}, true}), U'し');
  EXPECT_EQ(kana_typed({{'B', 1}, true}), U'っ');
  EXPECT_EQ(kana_typed({{'D', 13}, false}), 0u);
  EXPECT_EQ(stroke_typing(U'ゐ'), std::nullopt);
}

}  // namespace
}  // namespace tutor::spelling
