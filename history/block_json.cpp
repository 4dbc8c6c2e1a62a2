#include "history/block_json.h"

#include <algorithm>
#include <cstdio>

#include "console/text.h"

namespace tutor::history {

std::string server_text(std::string_view text) {
  std::vector<char32_t> cps = decode_utf8(text);
  std::replace(cps.begin(), cps.end(), U'\0', U'\uFFFD');
  return encode_utf8(cps);
}

void append_json_string(std::string& json, std::string_view text) {
  json += '"';
  for (const char c : server_text(text)) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      json += escaped;
    } else {
      json += c;
    }
  }
  json += '"';
}

std::string keys_json(const std::vector<KeyTally>& keys) {
  std::string json = "[";
  for (const KeyTally& k : keys) {
    json += json.size() > 1 ? "," : "";
    json += "{\"key\":" + std::to_string(k.key) + ",\"right\":" + std::to_string(k.right) +
            ",\"wrong\":" + std::to_string(k.wrong) + ",\"instead\":[";
    for (size_t i = 0; i < k.instead.size(); ++i) {
      json += i > 0 ? "," : "";
      json += "{\"key\":" + std::to_string(k.instead[i].typed_instead) +
              ",\"count\":" + std::to_string(k.instead[i].count) + "}";
    }
    json += "]}";
  }
  return json + "]";
}

std::string kana_json(const std::vector<KanaTally>& kana) {
  std::string json = "[";
  for (const KanaTally& k : kana) {
    json += json.size() > 1 ? ",{\"kana\":" : "{\"kana\":";
    append_json_string(json, k.kana);
    json += ",\"right\":" + std::to_string(k.right) + ",\"wrong\":" + std::to_string(k.wrong) + "}";
  }
  return json + "]";
}

std::string block_json(const WaitingBlock& waiting) {
  const BlockEntry& b = waiting.block;
  std::string json = "{\"uid\":";
  append_json_string(json, waiting.uid);
  const auto text = [&json](std::string_view name, std::string_view value) {
    json += ",\"" + std::string(name) + "\":";
    append_json_string(json, value);
  };
  const auto number = [&json](std::string_view name, int value) {
    json += ",\"" + std::string(name) + "\":" + std::to_string(value);
  };
  text("ended_at", b.ended_at);
  text("program", b.program);
  number("step", b.step);
  number("seconds", b.seconds);
  number("typed_right", b.right);
  number("typed_wrong", b.wrong);
  text("evaluation", b.evaluation);
  text("result", b.result);
  text("lesson", b.lesson);
  text("input", b.input);
  json += ",\"keys\":" + keys_json(b.keys) + ",\"kana\":" + kana_json(b.kana) + "}";
  return json;
}

}  // namespace tutor::history
