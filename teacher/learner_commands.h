#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "classdb/classdb.h"

// velmora-class's commands on a class's learners as a roster: adding a
// class's learners from the spreadsheet, giving one a new password, and
// removing one. The new passwords are written on sign-in cards.
namespace tutor::teacher {

// Where the sign-in cards go.
struct CardsTo {
  std::string file;     // a new file, made for its user alone; "" for the standard output
  std::string address;  // where the learners sign in, on every card; "" for none
};

// The bytes of a roster file, small as a class's roster is; throws
// std::runtime_error where it cannot be read.
[[nodiscard]] std::string roster_file(const std::string& file);

// Adds every learner of the roster (the bytes of `file`) to the class, or,
// where one row cannot be added, none: the error names every such row.
// Writes their cards before they are committed.
void add_roster(classdb::ClassServer& server,
                std::string_view class_name,
                const std::string& file,
                std::string_view bytes,
                const CardsTo& cards,
                std::ostream& out);

// A new password for the learner, on a card where `cards` says so, or else
// printed on a line.
void reset_password(classdb::ClassServer& server,
                    std::string_view class_name,
                    std::string_view learner,
                    const std::optional<CardsTo>& cards,
                    std::ostream& out);

// The learner's login gone, its blocks kept; says how many.
void remove_learner(classdb::ClassServer& server,
                    std::string_view class_name,
                    std::string_view learner,
                    std::ostream& out);

}  // namespace tutor::teacher
