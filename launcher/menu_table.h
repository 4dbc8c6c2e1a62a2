#pragma once

#include <array>
#include <string_view>

#include "console/geometry.h"

namespace tutor::launcher {

inline constexpr std::string_view kTitle = "      　 タッチタイプ基本練習";

struct MenuEntry {
  std::string_view label;
  std::string_view program;  // stored path, relative to the working directory
  Rect button;               // face, design units
  Cell label_cell;
};

// Entry n belongs to function key Fn; 1-5 form the left column, 6-10 the right.
inline constexpr std::array<MenuEntry, 10> kMenu = {{
    {"　 Ｆ１・・・導 入 編", "././M1/Ostrin.exe", {60, 110, 304, 130}, {8, 7}},
    {"   Ｆ２・・・基 礎 編", "././M1/Palvek.exe", {60, 142, 304, 162}, {8, 9}},
    {"   Ｆ３・・・初 級 編", "././M1/Rundel.exe", {60, 174, 304, 194}, {8, 11}},
    {"   Ｆ４・・・中 級 編", "././M1/Mestra.exe", {60, 206, 304, 226}, {8, 13}},
    {"   Ｆ５・・・上 級 編", "././M1/Hollin.exe", {60, 238, 304, 258}, {8, 15}},
    {"   Ｆ６・・・トライ編", "././M1/Zarbet.exe", {340, 110, 584, 130}, {43, 7}},
    {"   Ｆ７・・・数字キー", "././M1/Quillon.exe", {340, 142, 584, 162}, {43, 9}},
    {"   Ｆ８・・・記号キー", "././M1/Tesmar.exe", {340, 174, 584, 194}, {43, 11}},
    {"   Ｆ９・・・シフトキー", "././M1/Brandel.exe", {340, 206, 584, 226}, {43, 13}},
    {"   Ｆ10・・・記録のクリア", "././M1/Ulvane.exe", {340, 238, 584, 258}, {43, 15}},
}};

// Two more entries stand as buttons in the black band under the legend row,
// selected by a click and started by a double-click or Enter as the ten are:
// the word course (entry 12, also the K key) and the progress program (entry
// 11, also F12). The cursor keys cycle through the ten alone; from a band
// button they step to the other or back into the ten.
struct CursorSteps {
  int up, down, left, right;
};
struct BandEntry {
  int number;
  MenuEntry entry;
  CursorSteps from;
};
inline constexpr int kProgressEntryNumber = 11;
inline constexpr int kWordCourseEntryNumber = 12;
inline constexpr int kLastEntryNumber = 12;
inline constexpr std::array<BandEntry, 2> kBand = {{
    {kProgressEntryNumber,
     {"Ｆ12・・・練習の記録（グラフ）", "././M1/Progress.exe", {330, 350, 620, 370}, {43, 22}},
     {10, 6, kWordCourseEntryNumber, kWordCourseEntryNumber}},
    {kWordCourseEntryNumber,
     {"Ｋ・・・ことばの練習（日本語）", "././M1/Kotoba.exe", {20, 350, 300, 370}, {4, 22}},
     {5, 1, kProgressEntryNumber, kProgressEntryNumber}},
}};
inline constexpr const MenuEntry& kProgressEntry = kBand[0].entry;
inline constexpr const MenuEntry& kWordCourseEntry = kBand[1].entry;

// The "終了" box ends the launcher: 560 <= x < 624, 320*Q < y < 336*Q.
inline constexpr OpenArea kExitArea = {560, 320, 624, 336};

}  // namespace tutor::launcher
