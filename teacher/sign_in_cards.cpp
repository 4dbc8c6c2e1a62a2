#include "teacher/sign_in_cards.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "console/text.h"
#include "teacher/report_html.h"

namespace tutor::teacher {
namespace {

// Ten cards to a page, two across and five down, each inside a dashed line
// to cut along. The password is large and monospaced, in groups of four,
// and under each character stands whether it is a capital, a small letter or
// a digit: 0 and O, 1, l and I look alike in many fonts, and more so to a
// child. The fonts named first tell them apart by themselves (a dotted or
// slashed zero) on Debian, Windows and macOS. The marks are the style's, so
// the password copies clean.
constexpr std::string_view kStyle = R"(
body { font-family: "IPAGothic", "IPAPGothic", "Noto Sans CJK JP", sans-serif;
       color: #000; background: #fff; margin: 16px; }
.on-screen { max-width: 190mm; font-size: 14px; line-height: 1.5; }
.cards { display: grid; grid-template-columns: repeat(2, 95mm); grid-auto-rows: 55mm; }
.card { box-sizing: border-box; border: 0.3mm dashed #555; padding: 2.2mm 4mm;
        break-inside: avoid; overflow: hidden; font-size: 3.4mm; line-height: 1.25; }
.card header { display: flex; justify-content: space-between; align-items: baseline; }
.card h1 { font-size: 3mm; font-weight: normal; margin: 0; }
.card p { margin: 0; }
.class b { font-size: 4.4mm; margin: 0 0 0 1mm; }
.class b + span { margin-left: 3mm; }
.full-name { font-size: 5mm; font-weight: bold; margin: 0.6mm 0 !important; }
.full-name.long { font-size: 3.2mm; }
.card dl { display: grid; grid-template-columns: 20mm minmax(0, 1fr); align-items: baseline;
           margin: 0; row-gap: 0.8mm; }
.card dt { font-size: 3.1mm; }
.card dt small { display: block; font-size: 2.3mm; line-height: 1.3; margin-top: 1mm; color: #333; }
.card dd { margin: 0; }
.login, .password { font-family: "DejaVu Sans Mono", Consolas, Menlo, "Noto Sans Mono",
                                 monospace; font-weight: bold; }
.login { font-size: 5.2mm; overflow-wrap: anywhere; }
.password { font-size: 6.4mm; line-height: 1.6; }
.password .group { display: inline-block; margin-right: 2.4mm; }
.password kbd { display: inline-block; position: relative; width: 0.62em; text-align: center;
                font: inherit; }
.password kbd::after { position: absolute; left: 0; right: 0; bottom: 0; color: #333;
                       font: normal 2.2mm/1 "IPAGothic", sans-serif; }
.password .capital::after { content: "大"; }
.password .small::after { content: "小"; }
.password .digit::after { content: "数"; }
.address { font-size: 3mm; overflow-wrap: anywhere; }
.note { font-size: 2.6mm; margin-top: 0.8mm !important; }
@page { size: A4 portrait; margin: 10mm; }
@media print {
  body { margin: 0; }
  .on-screen { display: none; }
})";

// A 氏名 longer than this is set smaller, to fit the card on two lines.
constexpr size_t kLongName = 16;

// Cards without a 出席番号 come after every number.
constexpr int kNoNumber = std::numeric_limits<int>::max();

// The kind of a password's character, as its mark under it names it.
std::string_view kind_of(char c) {
  if (c >= 'A' && c <= 'Z') {
    return "capital";
  }
  if (c >= 'a' && c <= 'z') {
    return "small";
  }
  return c >= '0' && c <= '9' ? "digit" : "other";
}

// Groups of four characters, three groups a line.
void write_password(std::ostream& out, std::string_view password) {
  constexpr size_t kGroup = 4;
  constexpr size_t kLine = 3 * kGroup;
  for (size_t i = 0; i < password.size(); ++i) {
    if (i > 0 && i % kLine == 0) {
      out << "</span><br>";
    } else if (i > 0 && i % kGroup == 0) {
      out << "</span>";
    }
    if (i % kGroup == 0) {
      out << "<span class=\"group\">";
    }
    out << "<kbd class=\"" << kind_of(password[i]) << "\">" << html_text(password.substr(i, 1))
        << "</kbd>";
  }
  out << (password.empty() ? "" : "</span>");
}

void write_card(std::ostream& out, const SignInCard& card, std::string_view address) {
  out << "<section class=\"card\">\n<header><h1>タッチタイプ練習の カード</h1>"
      << "<p class=\"class\">クラス <b>" << html_text(card.class_name) << "</b>";
  if (card.number > 0) {
    out << "<span>出席番号 <b>" << card.number << "</b></span>";
  }
  out << "</p></header>\n";
  if (!card.name.empty()) {
    const bool long_name = decode_utf8(card.name).size() > kLongName;
    out << "<p class=\"full-name" << (long_name ? " long" : "") << "\">" << html_text(card.name)
        << " さん</p>\n";
  }
  out << "<dl>\n<dt>なまえ</dt><dd class=\"login\">" << html_text(card.login) << "</dd>\n"
      << "<dt>パスワード<small>大＝大文字<br>小＝小文字<br>数＝数字</small></dt>"
      << "<dd class=\"password\">";
  write_password(out, card.password);
  out << "</dd>\n";
  if (!address.empty()) {
    out << "<dt>ひらくページ</dt><dd class=\"address\">" << html_text(address) << "</dd>\n";
  }
  out << "</dl>\n<p class=\"note\">すきまは 打たないでね。パスワードは だれにも "
         "見せないでね。</p>\n"
         "</section>\n";
}

}  // namespace

void write_sign_in_cards(std::ostream& out,
                         std::span<const SignInCard> cards,
                         std::string_view address) {
  std::vector<const SignInCard*> in_order;
  for (const SignInCard& card : cards) {
    in_order.push_back(&card);
  }
  std::stable_sort(in_order.begin(), in_order.end(), [](const SignInCard* a, const SignInCard* b) {
    return (a->number > 0 ? a->number : kNoNumber) < (b->number > 0 ? b->number : kNoNumber);
  });
  const std::string class_name = cards.empty() ? "" : html_text(cards.front().class_name);
  out << "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<title>" << class_name << " のサインインカード</title>\n<style>" << kStyle
      << "\n</style>\n</head>\n<body>\n"
      << "<p class=\"on-screen\">A4 の縦に印刷し、点線で切り分けて、一人に一枚ずつ渡してください。"
         "パスワードはこのカードにしかありません。印刷したら、このファイルは消してください。</p>\n"
      << "<main class=\"cards\">\n";
  for (const SignInCard* card : in_order) {
    write_card(out, *card, address);
  }
  out << "</main>\n</body>\n</html>\n";
}

}  // namespace tutor::teacher
