#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

// The sign-in cards of a class's learners, one a learner, holding the new
// passwords: one self-contained HTML page to print on A4 portrait and cut
// up, worded for the children who keep the cards.
namespace tutor::teacher {

struct SignInCard {
  std::string class_name;
  std::string login;     // なまえ: the name the learner types
  std::string password;  // shown on this card and nowhere else
  int number = 0;        // 出席番号; 0 where it is not known
  std::string name;      // 氏名; "" where it is not known
};

// The page, its cards ordered by 出席番号, those without one last; each with
// a line for `address`, where the learners sign in, unless it is "".
void write_sign_in_cards(std::ostream& out,
                         std::span<const SignInCard> cards,
                         std::string_view address);

}  // namespace tutor::teacher
