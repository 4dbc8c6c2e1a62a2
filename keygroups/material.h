#pragma once

#include <array>
#include <string_view>

namespace tutor::keygroups {

// clang-format off

// The number-row course, steps 1 to 4: each pair is a number key followed by
// the home key of the finger that strikes it.
inline constexpr std::array<std::string_view, 20> kQuillonStep1 = {{
    "5F5F 6F6F 6F5F 6F5F ", "6F6F 6F5F 5F5F 5F6F ", "6F5F 6F5F 6F5F 6F5F ", "5F6F 6F5F 5F6F 6F5F ",
    "7J8J 8J7J 7J8J 8J7J ", "7J7J 8J8J 7J7J 8J8J ", "8J7J 7J8J 7J8J 8J7J ", "7J7J 8J8J 7J8J 8J7J ",
    "5F5F 6F6F 6F5F 6F5F ", "6F6F 6F5F 5F5F 5F6F ", "6F5F 6F5F 6F5F 6F5F ", "5F6F 6F5F 5F6F 6F5F ",
    "7J8J 8J7J 7J8J 8J7J ", "7J7J 8J8J 7J7J 8J8J ", "8J7J 7J8J 7J8J 8J7J ", "7J7J 8J8J 7J8J 8J7J ",
    "7J6F 8J5F 6F7J 5F8J ", "5F7J 6F5F 8J7J 5F8J ", "5F7J 8J6F 7J6F 6F8J ", "5F7J 7J6F 8J5F 6F8J ",
}};
inline constexpr std::array<std::string_view, 20> kQuillonStep2 = {{
    "4D4D 4D4D 4D4D 4D4D ", "9K9K 9K9K 9K9K 9K9K ", "4D4D 4D4D 4D4D 4D4D ", "9K9K 9K9K 9K9K 9K9K ",
    "4D4D 9K9K 4D4D 9K9K ", "4D9K 9K4D 9K4D 9K4D ", "4D9K 9K4D 4D9K 9K4D ", "9K9K 4D4D 9K9K 4D4D ",
    "3S3S 3S3S 3S3S 3S3S ", "0L0L 0L0L 0L0L 0L0L ", "3S3S 3S3S 3S3S 3S3S ", "0L0L 0L0L 0L0L 0L0L ",
    "0L0L 3S3S 0L0L 3S3S ", "3S3S 0L0L 3S3S 0L0L ", "3S0L 0L3S 0L3S 0L3S ", "3S0L 0L3S 3S0L 0L3S ",
    "4D9K 3S4D 0L9K 3S0L ", "9K4D 3S9K 4D0L 0L3S ", "4D3S 0L9K 4D9K 3S0L ", "3S0L 9K4D 4D3S 0L9K ",
}};
inline constexpr std::array<std::string_view, 20> kQuillonStep3 = {{
    "1A2A 1A2A 1A2A 1A2A ", "1A2A 1A2A 1A2A 1A2A ", "1A2A 1A2A 1A2A 1A2A ", "-;^; ^;-; -;^; ^;-; ",
    "^;-; -;^; ^;-; -;^; ", "-;^; ^;-; -;^; ^;-; ", "1A2A 1A2A 1A2A 1A2A ", "1A2A 1A2A 1A2A 1A2A ",
    "-;^; ^;-; -;^; ^;-; ", "^;-; -;^; ^;-; -;^; ", "1A-; 2A^; ^;1A -;2A ", "-;^; 1A2A 1A-; ^;2A ",
    "^;1A 2A-; -;1A ^;2A ", "1A-; ^;2A -;1A 2A^; ", "-;1A 2A1A ^;-; ^;2A ", "1A-; 2A^; ^;1A -;2A ",
    "-;^; 1A2A 1A-; ^;2A ", "^;1A 2A-; -;1A ^;2A ", "1A-; ^;2A -;1A 2A^; ", "-;1A 2A1A ^;-; ^;2A ",
}};
inline constexpr std::array<std::string_view, 20> kQuillonStep4 = {{
    "5F6F 5F6F 5F6F 6F5F ", "6F5F 5F6F 5F6F 6F5F ", "7J8J 8J7J 7J8J 8J7J ", "7J8J 7J8J 7J8J 8J7J ",
    "7J5F 8J6F 6F7J 5F8J ", "5F8J 5F6F 7J8J 5F7J ", "4D4D 4D4D 4D4D 4D4D ", "9K9K 9K9K 9K9K 9K9K ",
    "4D9K 9K4D 4D9K 9K4D ", "9K9K 4D4D 9K9K 4D4D ", "3S3S 3S3S 3S3S 3S3S ", "0L0L 0L0L 0L0L 0L0L ",
    "3S0L 0L3S 0L3S 0L3S ", "3S0L 0L3S 3S0L 0L3S ", "1A2A 1A2A 1A2A 1A2A ", "-;^; -;^; -;^; -;^; ",
    "-;^; 1A2A 1A-; ^;2A ", "-;1A 2A^; -;1A ^;2A ", "5F8J 7J6F 5F8J 6F7J ", "6F8J 4D9K 4D9K 3S0L ",
}};

// The symbol-key course: a symbol key followed by ";".
inline constexpr std::array<std::string_view, 20> kTesmarLines = {{
    "@;@; :;:; @;@; :;:; ", "@;@; :;:; @;@; :;:; ", "[;[; ];]; [;[; ];]; ", "[;[; ];]; [;[; ];]; ",
    "@;@; :;:; @;@; :;:; ", "@;@; :;:; @;@; :;:; ", "[;[; ];]; [;[; ];]; ", "[;[; ];]; [;[; ];]; ",
    "-;-; ^;^; -;-; ^;^; ", "-;-; ^;^; -;-; ^;^; ", "@;@; :;:; @;@; :;:; ", "@;@; :;:; @;@; :;:; ",
    "[;[; ];]; [;[; ];]; ", "[;[; ];]; [;[; ];]; ", "-;-; ^;^; -;-; ^;^; ", "-;-; ^;^; -;-; ^;^; ",
    "@;@; :;:; [;[; ];]; ", "-;-; ^;^; @;@; :;:; ", "[;[; ];]; -;-; ^;^; ", "@;:; [;]; -;^; @;:; ",
}};

// clang-format on

}  // namespace tutor::keygroups
