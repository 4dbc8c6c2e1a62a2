#pragma once

#include <array>
#include <string_view>

namespace tutor::course {

// Drill lines of 20 characters, typed in order: four groups of four keys each
// followed by a blank, unless the line says otherwise.
template <size_t N>
using DrillLines = std::array<std::string_view, N>;

// clang-format off

// Introduction: one block of 30 lines, five per finger step.
inline constexpr DrillLines<30> kOstrinLines = {{
    "FFJJ FJFF JFJJ FJFJ ", "DDKK DKDD KDKK DKDK ", "SSLL SLSS LSLL SLSL ", "AA;; A;AA ;A;; A;A; ", "FJJF DKKD SLLS A;;A ",
    "RFVF GFBF TFVF GFRF ", "BFTF GFVF RFBF VFGF ", "TFRF BFVF GFRF BFTF ", "RFGF TFVF RFGF BFTF ", "RFBF VFGF GFVF TFRF ",
    "UJMJ HJNJ YJMJ HJUJ ", "NJYJ HJMJ UJNJ MJHJ ", "YJUJ NJMJ HJUJ NJYJ ", "UJHJ YJMJ UJHJ NJYJ ", "UJMJ NJYJ MJHJ NJUJ ",
    "EDCD CDED EDCD CDED ", "EDED CDCD EDCD CDED ", "IK,K ,KIK IK,K ,KIK ", "IKIK ,K,K IK,K ,KIK ", "EDCD ,KIK IK,K CDED ",
    "WSXS XSWS XSWS WSXS ", "WSWS XSXS WSXS XSWS ", "OL.L .LOL OL.L .LOL ", "OLOL .L.L OL.L .LOL ", "WSXS OL.L .LOL XSWS ",
    "QAZA ZAQA QAZA ZAQA ", "QAQA ZAZA QAZA ZAQA ", "P;/; /;P; P;/; /;P; ", "P;P; /;/; P;/; /;P; ", "QAZA P;/; /;P; ZAQA ",
}};

// Fundamentals, steps 1 to 4.
inline constexpr DrillLines<20> kPalvekStep1 = {{
    "RFVF GFBF TFVF GFRF ", "BFTF GFVF RFBF VFTF ", "TFRF BFVF GFRF BFTF ", "RFGF TFVF RFGF BFTF ",
    "UJMJ HJNJ YJMJ HJUJ ", "NJYJ HJMJ UJNJ MJYJ ", "UJNJ YJMJ UJHJ NJYJ ", "YJUJ NJMJ HJUJ NJYJ ",
    "RFVF GFBF TFVF GFRF ", "BFTF GFVF RFBF VFTF ", "TFRF BFVF GFRF BFTF ", "RFGF TFVF RFGF BFTF ",
    "UJMJ HJNJ YJMJ HJUJ ", "NJYJ HJMJ UJNJ MJYJ ", "UJNJ YJMJ UJHJ NJYJ ", "YJUJ NJMJ HJUJ NJYJ ",
    "YJTF MJVF GFHJ GFUJ ", "RFNJ TFBF NJYJ RFNJ ", "VFHJ MJTF NJBF GFYJ ", "VFYJ UJGF HJRF BFNJ ",
}};
inline constexpr DrillLines<20> kPalvekStep2 = {{
    "CDED EDCD CDED EDCD ", ",KIK IK,K ,KIK IK,K ", "EDCD CDED EDCD CDED ", "IK,K ,KIK IK,K ,KIK ",
    "EDCD IK,K CDED ,KIK ", "CDIK ,KED IKCD IKED ", "EDIK ,KCD CD,K IKED ", "IK,K EDCD ,KIK CDED ",
    "XSWS WSXS XSWS WSXS ", ".LOL OL.L .LOL OL.L ", "WSXS XSWS WSXS XSWS ", "OL.L .LOL OL.L .LOL ",
    "OL.L WSXS .LOL XSWS ", "WSXS OL.L XSWS .LOL ", "XSOL .LWS OLXS OLWS ", "WSOL .LXS XS.L OLWS ",
    "ED,K WSCD .LIK XSOL ", ",KED XSIK CDOL .LWS ", "CDWS .LIK ED,K WS.L ", "XSOL IKCD EDWS .L,K ",
}};
inline constexpr DrillLines<20> kPalvekStep3 = {{
    "ZAQA QAZA ZAQA QAZA ", "QAZA ZAQA QAZA ZAQA ", "ZAQA QAZA ZAQA QAZA ", "P;/; /;P; P;/; /;P; ",
    "/;P; P;/; /;P; P;/; ", "P;/; /;P; P;/; /;P; ", "QAZA ZAQA QAZA ZAQA ", "ZAQA QAZA ZAQA QAZA ",
    "P;/; /;P; P;/; /;P; ", "/;P; P;/; /;P; P;/; ", "ZAP; QA/; /;QA P;ZA ", "P;/; ZAQA ZAP; /;QA ",
    "/;QA ZAP; P;QA /;ZA ", "QAP; /;ZA P;ZA QA/; ", "P;ZA QAZA /;P; /;QA ", "ZAP; QA/; /;QA P;ZA ",
    "P;/; ZAQA ZAP; /;QA ", "/;QA ZAP; P;QA /;ZA ", "QAP; /;ZA P;ZA QA/; ", "P;ZA QAZA /;P; /;QA ",
}};
inline constexpr DrillLines<20> kPalvekStep4 = {{
    "RFVF GFBF TFVF GFRF ", "BFTF GFVF RFBF VFTF ", "UJMJ HJNJ YJMJ HJUJ ", "NJYJ HJMJ UJNJ MJYJ ",
    "YJTF MJVF GFHJ GFUJ ", "RFNJ TFBF NJYJ RFNJ ", "CDED EDCD CDED EDCD ", ",KIK IK,K ,KIK IK,K ",
    "EDIK ,KCD CD,K IKED ", "IK,K EDCD ,KIK CDED ", "XSWS WSXS XSWS WSXS ", ".LOL OL.L .LOL OL.L ",
    "XSOL .LWS OLXS OLWS ", "WSOL .LXS XS.L OLWS ", "ZAQA QAZA ZAQA QAZA ", "P;/; /;P; P;/; /;P; ",
    "P;/; ZAQA ZAP; /;QA ", "/;QA ZAP; P;QA /;ZA ", "RFNJ UJVF TFYJ GFHJ ", "BFMJ ED,K CDIK XSOL ",
}};

// Beginner, steps 1 to 4; the intermediate stage types the same, and the
// advanced stage its steps 1 to 3.
inline constexpr DrillLines<20> kRundelStep1 = {{
    "FJJF FJJF JFFJ JFFJ ", "GHHG GHHG HGGH HGGH ", "RUUR RUUR URRU URRU ", "TYYT TYYT YTTY YTTY ",
    "VMMV VMMV MVVM MVVM ", "BNNB BNNB NBBN NBBN ", "FJFJ GHGH RURU TYTY ", "VMVM BNBN FJFJ GHGH ",
    "RFTF RFTF YJUJ YJUJ ", "VFBF VFBF NJMJ NJMJ ", "GFGF HJHJ RFTF YJUJ ", "VMTF UBHJ TUGF NRYJ ",
    "BHTF MRHJ VNGF UBYJ ", "RMTF YBUJ GNVF HTMJ ", "VUBF NRYJ TMGF UVNJ ", "TMBF YRNJ VURF HBNJ ",
    "GURF YMGJ TNVF HBNJ ", "THBF HRMJ GNVF YBUJ ", "TMRF UBYJ VNGF MTHJ ", "BUVF YRNJ GMTF NVUJ ",
}};
inline constexpr DrillLines<20> kRundelStep2 = {{
    "DKKD DKKD KDDK KDDK ", "EIIE EIIE IEEI IEEI ", "C,,C C,,C ,CC, ,CC, ", "DKDK EIEI C,C, DKDK ",
    "E,CD IC,K C,ED ,CIK ", "E,CD IC,K C,ED ,CIK ", "E,CD IC,K C,ED ,CIK ", "E,CD IC,K C,ED ,CIK ",
    "SLLS SLLS LSSL LSSL ", "WOOW WOOW OWWO OWWO ", "X..X X..X .XX. .XX. ", "SLSL WOWO X.X. SLSL ",
    "W.XS OX.L X.WS .XOL ", "W.XS OX.L X.WS .XOL ", "W.XS OX.L X.WS .XOL ", "W.XS OX.L X.WS .XOL ",
    "WOXS OX.L X.WS .XOL ", "XOWS .XOL W.XS OX.L ", "WOXS OX.L X.WS .XOL ", "XOWS .XOL W.XS OX.L ",
}};
inline constexpr DrillLines<20> kRundelStep3 = {{
    "A;;A A;;A ;AA; ;AA; ", "QPPQ QPPQ PQQP PQQP ", "Z//Z Z//Z /ZZ/ /ZZ/ ", "A;A; QPQP Z/Z/ A;A; ",
    "A;;A A;;A ;AA; ;AA; ", "QPPQ QPPQ PQQP PQQP ", "Z//Z Z//Z /ZZ/ /ZZ/ ", "A;A; QPQP Z/Z/ A;A; ",
    "QPZA PQ/; Z/QA /ZP; ", "QPZA PQ/; Z/QA /ZP; ", "QPZA PQ/; Z/QA /ZP; ", "QPZA PQ/; Z/QA /ZP; ",
    "QPZA PQ/; Z/QA /ZP; ", "QPZA PQ/; Z/QA /ZP; ", "QPZA PQ/; Z/QA /ZP; ", "QPZA PQ/; Z/QA /ZP; ",
    "QPZA PQ/; Z/QA /ZP; ", "QPZA PQ/; Z/QA /ZP; ", "QPZA PQ/; Z/QA /ZP; ", "QPZA PQ/; Z/QA /ZP; ",
}};
inline constexpr DrillLines<20> kRundelStep4 = {{
    "RFHJ BFYJ TFMJ GFNJ ", "UJVF RFYJ HJBF GFMJ ", "NJTF VFUJ BFHJ MJGF ", "YJRF BFYJ TFUJ GFNJ ",
    "CDIK .LWS XS,K EDOL ", "IKWS XSED OLCD .L,K ", "WSIK .LCD IKXS ,KED ", ".LWS IKED CDXS OL,K ",
    "ZAP; /;QA P;/; ZAQA ", "P;ZA QA/; ZA/; P;QA ", "RFHJ BFYJ TFMJ GFNJ ", "UJVF RFYJ HJBF GFMJ ",
    "NJTF VFUJ BFHJ MJGF ", "YJRF BFYJ TFUJ GFNJ ", "CDIK .LWS XS,K EDOL ", "IKWS XSED OLCD .L,K ",
    "WSIK .LCD IKXS ,KED ", ".LWS IKED CDXS OL,K ", "ZAP; /;QA P;/; ZAQA ", "P;ZA QA/; ZA/; P;QA ",
}};

// Advanced, step 4: its last eight lines are twenty letters without blanks.
inline constexpr DrillLines<20> kHollinStep4 = {{
    "GURF YMGJ TNVF HBNJ ", "THBF HRMJ GNVF YBUJ ", "TMRF UBYJ VNGF MTHJ ", "BUVF YRNJ GMTF NVUJ ",
    "WOXS OX.L X.WS .XOL ", "XOWS .XOL W.XS OX.L ", "WOXS OX.L X.WS .XOL ", "XOWS .XOL W.XS OX.L ",
    "QPZA PQ/; Z/QA /ZP; ", "QPZA PQ/; Z/QA /ZP; ", "QPZA PQ/; Z/QA /ZP; ", "QPZA PQ/; Z/QA /ZP; ",
    "IRAYENGHPUSYIAPEFBHC", "IDUTQEXAFKYGKPMGWRVE", "CZTNAMZBXGASMELMUPNE", "PVGFBCITHTEFOPZVYZKH",
    "ALBDRVSTBQXMRUZQGMIH", "UNSZAUHSMXEXVGREOSAR", "YWMRQVLIFNIMTORYIQSC", "JVYATEQSHRODMHIBODMW",
}};

// clang-format on

}  // namespace tutor::course
