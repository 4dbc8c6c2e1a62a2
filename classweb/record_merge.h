#pragma once

#include <string>
#include <string_view>

// The learner's files that the class server keeps, so that they follow the
// learner from browser to browser, and how two changes of one are joined.
namespace tutor::classweb {

// The five records, the word course's passes, its settings and own
// lessons, by their paths in the learner's tree ("M0/data/step.TXT").
[[nodiscard]] bool follows_learner(std::string_view path);

// A file two browsers changed apart: the better of two records (the higher
// stage, grade or best, a course completed), every lesson passed in either;
// anything else (settings, an own lesson) as last sent.
[[nodiscard]] std::string joined(std::string_view path,
                                 std::string_view kept,
                                 std::string_view sent);

}  // namespace tutor::classweb
