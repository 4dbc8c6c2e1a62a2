#pragma once

#include <string>
#include <string_view>

#include "console/console.h"

namespace tutor::records {

// The five records as the screen shows them. A record that is missing,
// unreadable or out of range shows a blank name, a blank text or 0.
struct ShownRecords {
  std::string_view stage;
  std::string_view grade;
  std::string number_keys;
  std::string symbol_keys;
  float shift_keys = 0;
};
[[nodiscard]] ShownRecords read_records(Console& con);

// Shows the records and asks whether to clear them; "は　い" resets all five
// to their starting values. Either way the launcher is started.
[[noreturn]] void run(Console& con);

}  // namespace tutor::records
