#pragma once

#include <array>
#include <string_view>

namespace tutor::spelling {

// The romaji an input method takes for a kana, or for a kana with the small
// kana after it. The first of equally short spellings is the guide's default.
// っ and ん have rules of their own beside these (see romaji.h).
struct RomajiEntry {
  std::string_view kana;
  std::array<std::string_view, 4> spellings;
};

// clang-format off
inline constexpr RomajiEntry kRomajiTable[] = {
    {"あ", {"a"}}, {"い", {"i", "yi"}}, {"う", {"u", "wu", "whu"}}, {"え", {"e"}}, {"お", {"o"}},
    {"か", {"ka", "ca"}}, {"き", {"ki"}}, {"く", {"ku", "cu", "qu"}}, {"け", {"ke"}}, {"こ", {"ko", "co"}},
    {"さ", {"sa"}}, {"し", {"si", "ci", "shi"}}, {"す", {"su"}}, {"せ", {"se", "ce"}}, {"そ", {"so"}},
    {"た", {"ta"}}, {"ち", {"ti", "chi"}}, {"つ", {"tu", "tsu"}}, {"て", {"te"}}, {"と", {"to"}},
    {"な", {"na"}}, {"に", {"ni"}}, {"ぬ", {"nu"}}, {"ね", {"ne"}}, {"の", {"no"}},
    {"は", {"ha"}}, {"ひ", {"hi"}}, {"ふ", {"fu", "hu"}}, {"へ", {"he"}}, {"ほ", {"ho"}},
    {"ま", {"ma"}}, {"み", {"mi"}}, {"む", {"mu"}}, {"め", {"me"}}, {"も", {"mo"}},
    {"や", {"ya"}}, {"ゆ", {"yu"}}, {"よ", {"yo"}},
    {"ら", {"ra"}}, {"り", {"ri"}}, {"る", {"ru"}}, {"れ", {"re"}}, {"ろ", {"ro"}},
    {"わ", {"wa"}}, {"を", {"wo"}}, {"ゐ", {"wyi"}}, {"ゑ", {"wye"}}, {"ん", {"nn", "xn", "n'"}},
    {"が", {"ga"}}, {"ぎ", {"gi"}}, {"ぐ", {"gu"}}, {"げ", {"ge"}}, {"ご", {"go"}},
    {"ざ", {"za"}}, {"じ", {"ji", "zi"}}, {"ず", {"zu"}}, {"ぜ", {"ze"}}, {"ぞ", {"zo"}},
    {"だ", {"da"}}, {"ぢ", {"di"}}, {"づ", {"du"}}, {"で", {"de"}}, {"ど", {"do"}},
    {"ば", {"ba"}}, {"び", {"bi"}}, {"ぶ", {"bu"}}, {"べ", {"be"}}, {"ぼ", {"bo"}},
    {"ぱ", {"pa"}}, {"ぴ", {"pi"}}, {"ぷ", {"pu"}}, {"ぺ", {"pe"}}, {"ぽ", {"po"}},
    {"ゔ", {"vu"}},
    // Small kana.
    {"ぁ", {"xa", "la"}}, {"ぃ", {"xi", "li", "xyi", "lyi"}}, {"ぅ", {"xu", "lu"}},
    {"ぇ", {"xe", "le", "xye", "lye"}}, {"ぉ", {"xo", "lo"}},
    {"ゃ", {"xya", "lya"}}, {"ゅ", {"xyu", "lyu"}}, {"ょ", {"xyo", "lyo"}},
    {"っ", {"xtu", "ltu", "xtsu", "ltsu"}}, {"ゎ", {"xwa", "lwa"}}, {"ゕ", {"xka", "lka"}}, {"ゖ", {"xke", "lke"}},
    // Contracted sounds.
    {"きゃ", {"kya"}}, {"きぃ", {"kyi"}}, {"きゅ", {"kyu"}}, {"きぇ", {"kye"}}, {"きょ", {"kyo"}},
    {"ぎゃ", {"gya"}}, {"ぎぃ", {"gyi"}}, {"ぎゅ", {"gyu"}}, {"ぎぇ", {"gye"}}, {"ぎょ", {"gyo"}},
    {"にゃ", {"nya"}}, {"にぃ", {"nyi"}}, {"にゅ", {"nyu"}}, {"にぇ", {"nye"}}, {"にょ", {"nyo"}},
    {"ひゃ", {"hya"}}, {"ひぃ", {"hyi"}}, {"ひゅ", {"hyu"}}, {"ひぇ", {"hye"}}, {"ひょ", {"hyo"}},
    {"びゃ", {"bya"}}, {"びぃ", {"byi"}}, {"びゅ", {"byu"}}, {"びぇ", {"bye"}}, {"びょ", {"byo"}},
    {"ぴゃ", {"pya"}}, {"ぴぃ", {"pyi"}}, {"ぴゅ", {"pyu"}}, {"ぴぇ", {"pye"}}, {"ぴょ", {"pyo"}},
    {"みゃ", {"mya"}}, {"みぃ", {"myi"}}, {"みゅ", {"myu"}}, {"みぇ", {"mye"}}, {"みょ", {"myo"}},
    {"りゃ", {"rya"}}, {"りぃ", {"ryi"}}, {"りゅ", {"ryu"}}, {"りぇ", {"rye"}}, {"りょ", {"ryo"}},
    {"しゃ", {"sya", "sha"}}, {"しぃ", {"syi"}}, {"しゅ", {"syu", "shu"}}, {"しぇ", {"sye", "she"}}, {"しょ", {"syo", "sho"}},
    {"ちゃ", {"tya", "cya", "cha"}}, {"ちぃ", {"tyi", "cyi"}}, {"ちゅ", {"tyu", "cyu", "chu"}},
    {"ちぇ", {"tye", "cye", "che"}}, {"ちょ", {"tyo", "cyo", "cho"}},
    {"じゃ", {"ja", "jya", "zya"}}, {"じぃ", {"jyi", "zyi"}}, {"じゅ", {"ju", "jyu", "zyu"}},
    {"じぇ", {"je", "jye", "zye"}}, {"じょ", {"jo", "jyo", "zyo"}},
    {"ぢゃ", {"dya"}}, {"ぢぃ", {"dyi"}}, {"ぢゅ", {"dyu"}}, {"ぢぇ", {"dye"}}, {"ぢょ", {"dyo"}},
    {"ふぁ", {"fa", "hwa", "fwa"}}, {"ふぃ", {"fi", "fyi", "hwi", "fwi"}}, {"ふぇ", {"fe", "fye", "hwe", "fwe"}},
    {"ふぅ", {"fwu"}}, {"ふぉ", {"fo", "hwo", "fwo"}},
    {"ふゃ", {"fya"}}, {"ふゅ", {"fyu", "hwyu"}}, {"ふょ", {"fyo"}},
    {"てゃ", {"tha"}}, {"てぃ", {"thi", "t'i"}}, {"てゅ", {"thu", "t'yu"}}, {"てぇ", {"the"}}, {"てょ", {"tho"}},
    {"でゃ", {"dha"}}, {"でぃ", {"dhi", "d'i"}}, {"でゅ", {"dhu", "d'yu"}}, {"でぇ", {"dhe"}}, {"でょ", {"dho"}},
    {"とぁ", {"twa"}}, {"とぃ", {"twi"}}, {"とぅ", {"twu", "t'u"}}, {"とぇ", {"twe"}}, {"とぉ", {"two"}},
    {"どぁ", {"dwa"}}, {"どぃ", {"dwi"}}, {"どぅ", {"dwu", "d'u"}}, {"どぇ", {"dwe"}}, {"どぉ", {"dwo"}},
    {"うぁ", {"wha"}}, {"うぃ", {"wi", "whi"}}, {"うぇ", {"we", "whe"}}, {"うぉ", {"who"}}, {"いぇ", {"ye"}},
    {"くぁ", {"qa", "kwa", "qwa"}}, {"くぃ", {"qi", "qwi", "kwi", "qyi"}}, {"くぇ", {"qe", "qwe", "kwe", "qye"}},
    {"くぅ", {"qwu"}}, {"くぉ", {"qo", "kwo", "qwo"}},
    {"くゃ", {"qya"}}, {"くゅ", {"qyu"}}, {"くょ", {"qyo"}},
    {"ぐぁ", {"gwa"}}, {"ぐぃ", {"gwi"}}, {"ぐぅ", {"gwu"}}, {"ぐぇ", {"gwe"}}, {"ぐぉ", {"gwo"}},
    {"すぁ", {"swa"}}, {"すぃ", {"swi"}}, {"すぅ", {"swu"}}, {"すぇ", {"swe"}}, {"すぉ", {"swo"}},
    {"つぁ", {"tsa"}}, {"つぃ", {"tsi"}}, {"つぇ", {"tse"}}, {"つぉ", {"tso"}},
    {"ゔぁ", {"va"}}, {"ゔぃ", {"vi", "vyi"}}, {"ゔぇ", {"ve", "vye"}}, {"ゔぉ", {"vo"}},
    {"ゔゃ", {"vya"}}, {"ゔゅ", {"vyu"}}, {"ゔょ", {"vyo"}},
    // Marks.
    {"ー", {"-"}}, {"、", {","}}, {"。", {"."}}, {"「", {"["}}, {"」", {"]"}}, {"・", {"/"}},
    {"！", {"!"}}, {"？", {"?"}}, {" ", {" "}}, {"　", {" "}},
};
// clang-format on

// Consonants whose doubling types っ before the kana they begin.
inline constexpr std::string_view kDoublingConsonants = "kstchfmyrwgzjdbpvq";

}  // namespace tutor::spelling
