#pragma once

#include <array>
#include <string_view>

#include "console/geometry.h"

namespace tutor::records {

// The five records and the values a clearing writes, in the order they are
// read and cleared.
struct RecordFile {
  std::string_view path;
  std::string_view starting_value;
};
inline constexpr std::array<RecordFile, 5> kRecordFiles = {{
    {"././M0/data/step.TXT", "1"},
    {"././M0/data/RANK.TXT", "1"},
    {"././M0/data/SUU.TXT", "未 達 成"},
    {"././M0/data/KIGO.TXT", "未 達 成"},
    {"././M0/data/SFT.TXT", "0"},
}};

// Records cleared with the five that the screen does not show: the word
// course's lessons passed.
inline constexpr std::array<RecordFile, 1> kAlsoCleared = {{
    {"././M0/data/KOTOBA.TXT", ""},
}};

// Stage names by the stage now being challenged, 1-6.
inline constexpr std::array<std::string_view, 7> kStageNames = {
    "", "導 入 編", "基 礎 編", "初 級 編", "中 級 編", "上 級 編", "トライ編"};

// The two answers to "clear?".
struct Choice {
  std::string_view label;
  Rect button;
  Cell label_cell;
};
inline constexpr std::array<Choice, 2> kChoices = {{
    {"は　い", {192, 250, 304, 278}, {28, 16}},
    {"いいえ", {340, 250, 448, 278}, {46, 16}},
}};
inline constexpr int kYes = 1;
inline constexpr int kNo = 2;

}  // namespace tutor::records
