#pragma once

#include <array>
#include <string_view>

namespace tutor::keygroups {

// clang-format off

inline constexpr std::string_view kQuillonTitle = "　　　タイピング練習(数字キー)";

// Step titles of the number-row course.
inline constexpr std::array<std::string_view, 4> kQuillonStepTitles = {{
    "　　　ステップ１（人差し指の練習）　　　",
    "　　　ステップ２（中・薬指の練習）　　　",
    "　　　ステップ３（小　　指の練習）　　　",
    "　　　ステップ４ (総合問題の練習） 　 　",
}};

// Pass messages of its steps; the last one completes the course.
inline constexpr std::array<std::string_view, 4> kQuillonPassMessages = {{
    " 合格です。数字編(中・薬指の練習)に進んでください。",
    " 合格です。数字編(小　　指の練習)に進んでください。",
    " 合格です。数字編(総合問題の練習)に進んでください。",
    " おめでとうございます。数字キーはマスターしました。",
}};

inline constexpr std::string_view kTesmarTitle = "　 　タイピング練習(記号キー)";
inline constexpr std::string_view kTesmarStepTitle = "　　　　 　　記号キーの練習 　　　　 　";
inline constexpr std::string_view kTesmarPassMessage = " おめでとうございます。記号キーはマスターしました。";

// clang-format on

}  // namespace tutor::keygroups
