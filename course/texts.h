#pragma once

#include <array>
#include <string_view>

namespace tutor::course {

// clang-format off

// Titles of the HomePositionScreen, stage by stage.
inline constexpr std::string_view kOstrinTitle = "　　　タイピング練習(導入編)";
inline constexpr std::string_view kPalvekTitle = "　　　タイピング練習(基礎編)";
inline constexpr std::string_view kRundelTitle = "　　　タイピング練習(初級編)";
inline constexpr std::string_view kMestraTitle = "　　　タイピング練習(中級編)";
inline constexpr std::string_view kHollinTitle = "　　　タイピング練習(上級編)";

// The introduction's finger steps, one title per scheme.
inline constexpr std::array<std::string_view, 6> kOstrinSchemeTitles = {{
    "ステップ１（ホームポジションキーの練習）",
    "　ステップ２　　（左手人差し指の練習）　",
    "　ステップ３　　（右手人差し指の練習）　",
    "　ステップ４　　   (中　　指の練習）  　",
    "　ステップ５　  　（薬　　指の練習）  　",
    "　ステップ６　  　（小　　指の練習）  　",
}};

// The fundamentals' schemes, one title each.
inline constexpr std::array<std::string_view, 8> kPalvekSchemeTitles = {{
    "        左手人差し指の練習        ",
    "        右手人差し指の練習        ",
    "　  　　　人差し指の練習　　　　　",
    "            中指の練習            ",
    "　  　　  　薬指の練習　　　  　　",
    "         中指・薬指の練習         ",
    "　  　　　小　　指の練習　　  　　",
    "　　　  　総合問題の練習　  　　　",
}};

// The beginner, intermediate and advanced stages title their steps with the
// fundamentals' schemes 3, 6, 7 and 8.
inline constexpr std::array<std::string_view, 4> kStepTitles = {
    kPalvekSchemeTitles[2], kPalvekSchemeTitles[5], kPalvekSchemeTitles[6], kPalvekSchemeTitles[7]};

// Pass messages after steps 1 to 3, the same in the four stages with steps.
inline constexpr std::array<std::string_view, 3> kStepPassMessages = {{
    " 合格です。次のステップ（中・薬指）に進んでください。",
    " 　合格です。次のステップ（小指）に進んでください。",
    " 合格です。次のステップ（総合問題）に進んでください。",
}};

// Pass messages after the last step, stage by stage.
inline constexpr std::string_view kOstrinLastPass = " 合格です。次のステップ（基礎編）に進んでください。";
inline constexpr std::string_view kPalvekLastPass = "   合格です。次のステップ（初級編）に進んでください。";
inline constexpr std::string_view kRundelLastPass = "   合格です。次のステップ（中級編）に進んでください。";
inline constexpr std::string_view kMestraLastPass = "   合格です。次のステップ（上級編）に進んでください。";
inline constexpr std::string_view kHollinLastPass = "合格です。次のステップ（トライ級編）に進んでください。";

// clang-format on

}  // namespace tutor::course
