#pragma once

#include <array>

#include "words/material_kana_rows.h"
#include "words/material_sentences.h"
#include "words/material_types.h"
#include "words/material_words.h"

// The word course's built-in lessons: kana rows, common words by theme, and short sentences.
namespace tutor::words {

inline constexpr std::array<Lesson, 42> kLessons = {{
    {"あいうえお", kVowels},
    {"か行", kKaRow},
    {"さ行", kSaRow},
    {"た行", kTaRow},
    {"な行", kNaRow},
    {"は行", kHaRow},
    {"ま行", kMaRow},
    {"や行", kYaRow},
    {"ら行", kRaRow},
    {"わ・を・ん", kWaRow},
    {"が行", kGaRow},
    {"ざ行", kZaRow},
    {"だ行", kDaRow},
    {"ば行", kBaRow},
    {"ぱ行", kPaRow},
    {"きゃ・しゃ・ちゃ", kKyaShaCha},
    {"にゃ・ひゃ・みゃ・りゃ", kNyaHyaMyaRya},
    {"ぎゃ・じゃ・びゃ・ぴゃ", kGyaJaByaPya},
    {"小さい「っ」", kSmallTsu},
    {"「ん」のいろいろ", kSyllabicN},
    {"のばす音「ー」", kLongVowel},

    {"家族のことば", kFamily},
    {"学校のことば", kSchool},
    {"食べ物のことば", kFood},
    {"時と曜日", kTimeDays},
    {"天気と季節", kWeather},
    {"町のことば", kTown},
    {"体のことば", kBody},
    {"家の中のもの", kHome},
    {"服と買い物", kClothesShopping},
    {"仕事のことば", kWork},
    {"乗り物と旅", kTravel},
    {"自然と動物", kNature},
    {"動きのことば１", kVerbs1},
    {"動きのことば２", kVerbs2},
    {"形容詞１", kAdjectives1},
    {"形容詞２", kAdjectives2},
    {"ようすのことば", kNaAdjectives},

    {"ぶん１", kSentences1},
    {"ぶん２", kSentences2},
    {"ぶん３", kSentences3},
    {"ぶん４", kSentences4},
}};

}  // namespace tutor::words
