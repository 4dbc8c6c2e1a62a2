#include <gtest/gtest.h>

#include "classdb/classdb.h"

namespace tutor::classdb {
namespace {

TEST(Names, ClassAndLoginNamesAllowedAndNot) {
  struct Case {
    std::string_view name;
    bool class_name;
    bool login_name;
  };
  const Case cases[] = {
      {"5-2", true, false},
      {"hanako", true, true},
      {"h2_o", true, true},
      {"Hanako", true, false},
      {"pg_hanako", true, false},
      // The server's words for roles, which would fail later with raw SQL.
      {"public", true, false},
      {"current_user", true, false},
      {"none", true, false},
      {"_x", false, false},
      {"", false, false},
      {"5 2", false, false},
      {"a'b", false, false},
      {"2年", false, false},
      {std::string_view("abcdefghijklmnopqrst"), true, true},
      {std::string_view("abcdefghijklmnopqrstu"), false, true},
      {std::string_view("abcdefghijklmnopqrstuvwxyz012345"), false, true},
      {std::string_view("abcdefghijklmnopqrstuvwxyz0123456"), false, false},
  };
  for (const Case& c : cases) {
    const auto taken = [&](void (*check)(std::string_view)) {
      try {
        check(c.name);
        return true;
      } catch (const BadName& e) {
        const std::string said = e.what();
        EXPECT_TRUE(said.find("letters") != std::string::npos ||
                    said.find("keeps this word") != std::string::npos)
            << said;
        return false;
      }
    };
    EXPECT_EQ(taken(check_class_name), c.class_name) << c.name;
    EXPECT_EQ(taken(check_login_name), c.login_name) << c.name;
  }
}

TEST(Names, PgpassFieldsEscaped) {
  EXPECT_EQ(pgpass_line("/run/a:b", "5432", "db\\x", "hanako", "p:w\\"),
            "/run/a\\:b:5432:db\\\\x:hanako:p\\:w\\\\");
  EXPECT_EQ(pgpass_line("", "", "", "", ""), "::::");
}

}  // namespace
}  // namespace tutor::classdb
