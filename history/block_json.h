#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "history/history.h"

// A block as the class server takes it in JSON: the fields are the server's
// columns. The browser's outbox holds blocks so, and the server's own
// sending writes their tallies so.
namespace tutor::history {

// Text as the server takes it: UTF-8 with neither malformed bytes nor NUL,
// both U+FFFD; an own lesson's file name may hold any bytes, and one refused
// block would hold back every block after it.
[[nodiscard]] std::string server_text(std::string_view text);

// [{"key":12,"right":30,"wrong":2,"instead":[{"key":13,"count":2}]}, ...]
[[nodiscard]] std::string keys_json(const std::vector<KeyTally>& keys);
// [{"kana":"か","right":3,"wrong":1}, ...]
[[nodiscard]] std::string kana_json(const std::vector<KanaTally>& kana);

// {"uid":"…","ended_at":"…","program":"Ostrin","step":1,"seconds":…,
//  "typed_right":…,"typed_wrong":…,"evaluation":"…","result":"…",
//  "lesson":"…","input":"…","keys":[…],"kana":[…]}
[[nodiscard]] std::string block_json(const WaitingBlock& block);

// A JSON string, quoted, of server_text(text).
void append_json_string(std::string& json, std::string_view text);

}  // namespace tutor::history
