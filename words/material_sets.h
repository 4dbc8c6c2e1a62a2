#pragma once

#include <array>
#include <span>
#include <string_view>

#include "words/material.h"
#include "words/material_children_rows.h"
#include "words/material_children_words.h"
#include "words/material_types.h"

// The word course's sets of built-in lessons, one for each school stage:
// the younger children's, the older children's, and the first set of
// everyday words for the older learner.
namespace tutor::words {

inline constexpr std::array<Lesson, 29> kYoungerLessons = {{
    {kLessons[0].title, kChildVowels},
    {kLessons[1].title, kChildKaRow},
    {kLessons[2].title, kChildSaRow},
    {kLessons[3].title, kChildTaRow},
    {kLessons[4].title, kChildNaRow},
    {kLessons[5].title, kChildHaRow},
    {kLessons[6].title, kChildMaRow},
    {kLessons[7].title, kChildYaRow},
    {kLessons[8].title, kChildRaRow},
    {kLessons[9].title, kChildWaRow},
    {kLessons[10].title, kChildGaRow},
    {kLessons[11].title, kChildZaRow},
    {kLessons[12].title, kChildDaRow},
    {kLessons[13].title, kChildBaRow},
    {kLessons[14].title, kChildPaRow},
    {kLessons[15].title, kChildKyaShaCha},
    {kLessons[16].title, kChildNyaHyaMyaRya},
    {kLessons[17].title, kChildGyaJaByaPya},
    {kLessons[18].title, kChildSmallTsu},
    {kLessons[19].title, kChildSyllabicN},
    {kLessons[20].title, kChildLongVowel},
    {"かぞく", kYoungFamily},
    {"学校", kYoungSchool},
    {"食べもの", kYoungFood},
    {"生きもの", kYoungAnimals},
    {"天気ときせつ", kYoungWeather},
    {"うごきのことば", kYoungDoing},
    {"ぶん", kYoungSentences},
    {"おはなし", kYoungStories},
}};

inline constexpr std::array<Lesson, 28> kOlderLessons = {{
    {kLessons[0].title, kChildVowels},
    {kLessons[1].title, kChildKaRow},
    {kLessons[2].title, kChildSaRow},
    {kLessons[3].title, kChildTaRow},
    {kLessons[4].title, kChildNaRow},
    {kLessons[5].title, kChildHaRow},
    {kLessons[6].title, kChildMaRow},
    {kLessons[7].title, kChildYaRow},
    {kLessons[8].title, kChildRaRow},
    {kLessons[9].title, kChildWaRow},
    {kLessons[10].title, kChildGaRow},
    {kLessons[11].title, kChildZaRow},
    {kLessons[12].title, kChildDaRow},
    {kLessons[13].title, kChildBaRow},
    {kLessons[14].title, kChildPaRow},
    {kLessons[15].title, kChildKyaShaCha},
    {kLessons[16].title, kChildNyaHyaMyaRya},
    {kLessons[17].title, kChildGyaJaByaPya},
    {kLessons[18].title, kChildSmallTsu},
    {kLessons[19].title, kChildSyllabicN},
    {kLessons[20].title, kChildLongVowel},
    {"学校の生活", kOlderSchool},
    {"町の中", kOlderTown},
    {"海・山・生きもの", kOlderNature},
    {"ようすと気持ち", kOlderFeelings},
    {"動きのことば", kOlderDoing},
    {"文", kOlderSentences},
    {"物語", kOlderStories},
}};

// A set: its lessons, those of them the lesson for missed kana takes words
// from (the kana rows' and the themes', not sentences), the menu's name for
// it, and how the records and the history tell its lessons from the others'.
struct SetTable {
  std::span<const Lesson> lessons;
  std::size_t first_word_lesson;
  std::size_t last_word_lesson;
  std::string_view name;  // on the menu's title; none for everyday words
  std::string_view id;    // before a lesson's number: "l3", "u3"; none: "3"
};

inline constexpr std::array<SetTable, 3> kSets = {{
    {kYoungerLessons, 0, 26, "低学年", "l"},
    {kOlderLessons, 0, 25, "高学年", "u"},
    {kLessons, 21, 37, {}, {}},
}};

[[nodiscard]] constexpr const SetTable& set_table(WordSet set) {
  return kSets[static_cast<std::size_t>(set)];
}

}  // namespace tutor::words
