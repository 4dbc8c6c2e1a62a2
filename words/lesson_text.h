#pragma once

#include <string>

namespace tutor::words {

// The text of an own lesson file as the course reads it: UTF-8 with LF line
// ends. A file saved by Windows' Notepad or Excel in Shift_JIS (CP932) is
// converted; a UTF-8 byte-order mark is dropped; CR LF and a CR alone (an old
// Mac's) end lines. A file that is neither UTF-8 nor CP932 is given back as
// it is, for its lines to be named.
[[nodiscard]] std::string lesson_text(std::string bytes);

}  // namespace tutor::words
