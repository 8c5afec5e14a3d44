#include "platform/sim/us_keyboard.h"

#include <array>

namespace korimo::platform::sim {
namespace {

constexpr UsKey key(VirtualKey vk, std::uint8_t scan, char16_t plain, char16_t shifted,
                    const char* name) {
  return UsKey{vk, scan, false, plain, shifted, name};
}
constexpr UsKey extendedKey(VirtualKey vk, std::uint8_t scan, const char* name) {
  return UsKey{vk, scan, true, 0, 0, name};
}
// A letter key, named by its capital letter.
constexpr UsKey letter(std::uint8_t scan, const char* name) {
  return UsKey{static_cast<VirtualKey>(name[0]), scan, false, static_cast<char16_t>(name[0] + 32),
               static_cast<char16_t>(name[0]),   name};
}

// clang-format off
constexpr UsKey kKeys[] = {
    // the number row
    key(kVkEscape, 0x01, 0x1B, 0x1B, "Esc"),
    key('1', 0x02, u'1', u'!', "1"), key('2', 0x03, u'2', u'@', "2"),
    key('3', 0x04, u'3', u'#', "3"), key('4', 0x05, u'4', u'$', "4"),
    key('5', 0x06, u'5', u'%', "5"), key('6', 0x07, u'6', u'^', "6"),
    key('7', 0x08, u'7', u'&', "7"), key('8', 0x09, u'8', u'*', "8"),
    key('9', 0x0A, u'9', u'(', "9"), key('0', 0x0B, u'0', u')', "0"),
    key(kVkOemMinus, 0x0C, u'-', u'_', "-"), key(kVkOemPlus, 0x0D, u'=', u'+', "="),
    key(kVkBack, 0x0E, u'\b', u'\b', "Backspace"),
    // the top row
    key(kVkTab, 0x0F, u'\t', u'\t', "Tab"),
    letter(0x10, "Q"), letter(0x11, "W"), letter(0x12, "E"), letter(0x13, "R"),
    letter(0x14, "T"), letter(0x15, "Y"), letter(0x16, "U"), letter(0x17, "I"),
    letter(0x18, "O"), letter(0x19, "P"),
    key(kVkOem4, 0x1A, u'[', u'{', "["), key(kVkOem6, 0x1B, u']', u'}', "]"),
    key(kVkReturn, 0x1C, u'\r', u'\r', "Enter"),
    // the home row
    key(kVkControl, 0x1D, 0, 0, "Ctrl"), key(kVkLControl, 0x1D, 0, 0, "Ctrl"),
    letter(0x1E, "A"), letter(0x1F, "S"), letter(0x20, "D"), letter(0x21, "F"),
    letter(0x22, "G"), letter(0x23, "H"), letter(0x24, "J"), letter(0x25, "K"),
    letter(0x26, "L"),
    key(kVkOem1, 0x27, u';', u':', ";"), key(kVkOem7, 0x28, u'\'', u'"', "'"),
    key(kVkOem3, 0x29, u'`', u'~', "`"),
    // the bottom row
    key(kVkShift, 0x2A, 0, 0, "Shift"), key(kVkLShift, 0x2A, 0, 0, "Shift"),
    key(kVkOem5, 0x2B, u'\\', u'|', "\\"),
    letter(0x2C, "Z"), letter(0x2D, "X"), letter(0x2E, "C"), letter(0x2F, "V"),
    letter(0x30, "B"), letter(0x31, "N"), letter(0x32, "M"),
    key(kVkOemComma, 0x33, u',', u'<', ","), key(kVkOemPeriod, 0x34, u'.', u'>', "."),
    key(kVkOem2, 0x35, u'/', u'?', "/"),
    key(kVkRShift, 0x36, 0, 0, "Right Shift"),
    key(kVkMenu, 0x38, 0, 0, "Alt"), key(kVkLMenu, 0x38, 0, 0, "Alt"),
    key(kVkSpace, 0x39, u' ', u' ', "Space"),
    key(kVkCapital, 0x3A, 0, 0, "Caps Lock"),
    // the function keys
    key(kVkF1, 0x3B, 0, 0, "F1"), key(kVkF1 + 1, 0x3C, 0, 0, "F2"),
    key(kVkF1 + 2, 0x3D, 0, 0, "F3"), key(kVkF1 + 3, 0x3E, 0, 0, "F4"),
    key(kVkF1 + 4, 0x3F, 0, 0, "F5"), key(kVkF1 + 5, 0x40, 0, 0, "F6"),
    key(kVkF1 + 6, 0x41, 0, 0, "F7"), key(kVkF1 + 7, 0x42, 0, 0, "F8"),
    key(kVkF1 + 8, 0x43, 0, 0, "F9"), key(kVkF1 + 9, 0x44, 0, 0, "F10"),
    key(kVkF1 + 10, 0x57, 0, 0, "F11"), key(kVkF12, 0x58, 0, 0, "F12"),
    key(kVkScroll, 0x46, 0, 0, "Scroll Lock"),
    // the right-hand keys: extended keys sharing the scan codes of the number pad
    extendedKey(kVkRControl, 0x1D, "Right Ctrl"), extendedKey(kVkRMenu, 0x38, "Right Alt"),
    extendedKey(kVkHome, 0x47, "Home"), extendedKey(kVkUp, 0x48, "Up"),
    extendedKey(kVkPrior, 0x49, "Page Up"), extendedKey(kVkLeft, 0x4B, "Left"),
    extendedKey(kVkRight, 0x4D, "Right"), extendedKey(kVkEnd, 0x4F, "End"),
    extendedKey(kVkDown, 0x50, "Down"), extendedKey(kVkNext, 0x51, "Page Down"),
    extendedKey(kVkInsert, 0x52, "Insert"), extendedKey(kVkDelete, 0x53, "Delete"),
    extendedKey(kVkLWin, 0x00, nullptr), extendedKey(kVkRWin, 0x00, nullptr),
    // known by name only
    key(0, 0x37, 0, 0, "Num *"), key(0, 0x45, 0, 0, "Pause"),
    key(0, 0x47, 0, 0, "Num 7"), key(0, 0x48, 0, 0, "Num 8"), key(0, 0x49, 0, 0, "Num 9"),
    key(0, 0x4A, 0, 0, "Num -"), key(0, 0x4B, 0, 0, "Num 4"), key(0, 0x4C, 0, 0, "Num 5"),
    key(0, 0x4D, 0, 0, "Num 6"), key(0, 0x4E, 0, 0, "Num +"), key(0, 0x4F, 0, 0, "Num 1"),
    key(0, 0x50, 0, 0, "Num 2"), key(0, 0x51, 0, 0, "Num 3"), key(0, 0x52, 0, 0, "Num 0"),
    key(0, 0x53, 0, 0, "Num Del"),
};
// clang-format on

}  // namespace

namespace {

// Every key by its virtual-key code, and every name by its scan code, plain
// and extended: the first of the table's keys that has it, found once.
struct Index {
  std::array<const UsKey*, 256> byVk{};
  std::array<std::array<const char*, 2>, 256> nameByScan{};
  Index() {
    for (const UsKey& k : kKeys)
      if (k.vk != 0 && k.vk < byVk.size() && !byVk[k.vk]) byVk[k.vk] = &k;
    for (std::uint32_t scan = 1; scan < nameByScan.size(); ++scan) {
      for (bool extended : {false, true}) {
        // An extended scan code without a name of its own has the plain key's name.
        const char* name = nullptr;
        for (const UsKey& k : kKeys) {
          if (k.scanCode != scan) continue;
          if (k.extended == extended) {
            name = k.name;
            break;
          }
          if (!k.extended && !name) name = k.name;
        }
        nameByScan[scan][extended ? 1 : 0] = name;
      }
    }
  }
};

const Index kIndex;

const Index& index() { return kIndex; }

}  // namespace

const UsKey* usKey(std::uint32_t vk) { return vk < 256 ? index().byVk[vk] : nullptr; }

std::uint32_t usScanCode(std::uint32_t vk) {
  const UsKey* k = usKey(vk);
  return k ? k->scanCode : 0;
}

bool usExtended(std::uint32_t vk) {
  const UsKey* k = usKey(vk);
  return k && k->extended;
}

const char* usKeyNameText(std::uint32_t scanCode, bool extended) {
  return scanCode < 256 ? index().nameByScan[scanCode][extended ? 1 : 0] : nullptr;
}

std::u16string usKeyName(std::uint32_t scanCode, bool extended) {
  std::u16string out;
  if (const char* name = usKeyNameText(scanCode, extended))
    for (const char* c = name; *c; ++c) out.push_back(static_cast<char16_t>(*c));
  return out;
}

char16_t usCharacter(std::uint32_t vk, bool shift, bool capsLock) {
  const UsKey* k = usKey(vk);
  if (!k) return 0;
  if (k->letter() && capsLock) shift = !shift;
  return shift ? k->shifted : k->plain;
}

UsKeystroke usKeystroke(char16_t c) {
  for (const UsKey& k : kKeys) {
    if (k.vk == 0 || k.plain == 0) continue;
    if (k.plain == c) return {k.vk, false};
    if (k.shifted == c) return {k.vk, true};
  }
  return {};
}

}  // namespace korimo::platform::sim
