#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <utility>
#include <vector>

#include "history/history.h"
#include "lessonkit/key_table.h"

namespace tutor::lessonkit {

// Tallies the keystrokes of one block, key by key of the on-screen keyboard.
class KeyTallies {
 public:
  void right(int key) { ++counts_[checked(key)].first; }
  void wrong(int key, int typed_instead) {
    ++counts_[checked(key)].second;
    ++instead_[{checked(key), typed_instead}];
  }
  // Every key with a keystroke, in key order, as the history keeps them.
  [[nodiscard]] std::vector<history::KeyTally> rows() const;

 private:
  // Slot 0 takes what no key of the keyboard types.
  static std::size_t checked(int key) {
    return key > 0 && key <= kKeyCount ? static_cast<std::size_t>(key) : 0;
  }
  std::array<std::pair<int, int>, kKeyCount + 1> counts_{};  // right, wrong
  std::map<std::pair<std::size_t, int>, int> instead_;
};

}  // namespace tutor::lessonkit
