#pragma once

#include <string>
#include <string_view>

namespace tutor {

// A CSV field (RFC 4180) as a spreadsheet may safely open it: quoted where it
// holds a comma, a quote or a line break; a leading ' where a spreadsheet
// would take it for a formula; control characters and bad UTF-8 replaced by
// U+FFFD. Shared by every CSV the tutor writes.
[[nodiscard]] std::string csv_field(std::string_view text);

}  // namespace tutor
