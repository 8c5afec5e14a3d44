#pragma once
// The syllable being composed: its key sequence, what it shows, and the undo
// history of composition steps that Backspace walks back through.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/lookup.h"
#include "engine/replacement.h"

namespace korimo {

struct Tstruct {
  std::u16string cfstr;    // composeKeys
  std::u16string tsrr;     // restartKeys
  std::u16string lastext;  // previousCodes
  std::u16string curtext;  // currentCodes
  std::int32_t fill = 0;   // 1 when the slot holds a step
};

constexpr std::size_t historyDepth = 12;

class Composition {
 public:
  Composition(const ActiveKeymap& keymap, Replacement& replacement)
      : keymap_(keymap), replacement_(replacement) {}

  // Greedy longest match from left to right; also sets pendingKeys.
  std::u16string convert_text(std::u16string_view source);
  // Advances composeKeys, restartKeys and previousCodes by one key.
  void check_continuity(char16_t key);
  void sendupstack(const std::u16string& cf, const std::u16string& la, const std::u16string& ts,
                   const std::u16string& tm);
  // Undoes the newest step in the target and in the state.
  void getdownstack();
  // Ends the composition; currentCodes stays as it was.
  void setallnull();
  // Forgets every recorded step and keeps the live strings.
  void emptyHistory() { historyStack.fill(Tstruct{}); }

  std::u16string composeKeys;
  std::u16string restartKeys;
  std::u16string previousCodes;
  std::u16string currentCodes;
  std::u16string pendingKeys;
  std::array<Tstruct, historyDepth> historyStack{};

 private:
  const ActiveKeymap& keymap_;
  Replacement& replacement_;
};

}  // namespace korimo
