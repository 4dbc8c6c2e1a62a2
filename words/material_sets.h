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

// The children's kana lessons: the everyday set's titles, the children's words.
inline constexpr std::array<std::span<const Item>, 21> kChildRowItems = {
    kChildVowels,    kChildKaRow,        kChildSaRow,       kChildTaRow,    kChildNaRow,
    kChildHaRow,     kChildMaRow,        kChildYaRow,       kChildRaRow,    kChildWaRow,
    kChildGaRow,     kChildZaRow,        kChildDaRow,       kChildBaRow,    kChildPaRow,
    kChildKyaShaCha, kChildNyaHyaMyaRya, kChildGyaJaByaPya, kChildSmallTsu, kChildSyllabicN,
    kChildLongVowel,
};

// The children's kana lessons, then a set's own.
template <std::size_t N>
constexpr std::array<Lesson, kChildRowItems.size() + N> with_child_rows(
    const std::array<Lesson, N>& own) {
  std::array<Lesson, kChildRowItems.size() + N> all{};
  for (std::size_t i = 0; i < kChildRowItems.size(); ++i) {
    all[i] = {kLessons[i].title, kChildRowItems[i]};
  }
  for (std::size_t i = 0; i < N; ++i) {
    all[kChildRowItems.size() + i] = own[i];
  }
  return all;
}

inline constexpr std::array<Lesson, 29> kYoungerLessons = with_child_rows(std::array<Lesson, 8>{{
    {"かぞく", kYoungFamily},
    {"学校", kYoungSchool},
    {"食べもの", kYoungFood},
    {"生きもの", kYoungAnimals},
    {"天気ときせつ", kYoungWeather},
    {"うごきのことば", kYoungDoing},
    {"ぶん", kYoungSentences},
    {"おはなし", kYoungStories},
}});

inline constexpr std::array<Lesson, 28> kOlderLessons = with_child_rows(std::array<Lesson, 7>{{
    {"学校の生活", kOlderSchool},
    {"町の中", kOlderTown},
    {"海・山・生きもの", kOlderNature},
    {"ようすと気持ち", kOlderFeelings},
    {"動きのことば", kOlderDoing},
    {"文", kOlderSentences},
    {"物語", kOlderStories},
}});

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
