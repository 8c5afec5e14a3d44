#pragma once
// The platform's virtual-key codes, window messages and input flags that the
// program reads or sends, named once for the whole project with the values
// of the Windows headers (the names follow them: kVkLMenu is VK_LMENU).

#include <cstdint>

namespace korimo::platform {

// ---- virtual-key codes
using VirtualKey = std::uint16_t;
constexpr VirtualKey kVkLButton = 0x01;
constexpr VirtualKey kVkRButton = 0x02;
constexpr VirtualKey kVkMButton = 0x04;
constexpr VirtualKey kVkBack = 0x08;
constexpr VirtualKey kVkTab = 0x09;
constexpr VirtualKey kVkReturn = 0x0D;
constexpr VirtualKey kVkShift = 0x10;
constexpr VirtualKey kVkControl = 0x11;
constexpr VirtualKey kVkMenu = 0x12;  // Alt
constexpr VirtualKey kVkPause = 0x13;
constexpr VirtualKey kVkCapital = 0x14;  // Caps Lock
constexpr VirtualKey kVkEscape = 0x1B;
constexpr VirtualKey kVkSpace = 0x20;
constexpr VirtualKey kVkPrior = 0x21;  // Page Up
constexpr VirtualKey kVkNext = 0x22;   // Page Down
constexpr VirtualKey kVkEnd = 0x23;
constexpr VirtualKey kVkHome = 0x24;
constexpr VirtualKey kVkLeft = 0x25;
constexpr VirtualKey kVkUp = 0x26;
constexpr VirtualKey kVkRight = 0x27;
constexpr VirtualKey kVkDown = 0x28;
constexpr VirtualKey kVkSnapshot = 0x2C;  // Print Screen
constexpr VirtualKey kVkInsert = 0x2D;
constexpr VirtualKey kVkDelete = 0x2E;
constexpr VirtualKey kVk0 = 0x30;  // '0'..'9' are 0x30..0x39
constexpr VirtualKey kVk9 = 0x39;
constexpr VirtualKey kVkA = 0x41;  // 'A'..'Z' are 0x41..0x5A
constexpr VirtualKey kVkZ = 0x5A;
constexpr VirtualKey kVkLWin = 0x5B;
constexpr VirtualKey kVkRWin = 0x5C;
constexpr VirtualKey kVkF1 = 0x70;  // F1..F12 are 0x70..0x7B
constexpr VirtualKey kVkF2 = 0x71;
constexpr VirtualKey kVkF12 = 0x7B;
constexpr VirtualKey kVkScroll = 0x91;  // Scroll Lock
constexpr VirtualKey kVkLShift = 0xA0;
constexpr VirtualKey kVkRShift = 0xA1;
constexpr VirtualKey kVkLControl = 0xA2;
constexpr VirtualKey kVkRControl = 0xA3;
constexpr VirtualKey kVkLMenu = 0xA4;
constexpr VirtualKey kVkRMenu = 0xA5;
constexpr VirtualKey kVkBrowserBack = 0xA6;
constexpr VirtualKey kVkBrowserForward = 0xA7;
constexpr VirtualKey kVkOem1 = 0xBA;       // ;:
constexpr VirtualKey kVkOemPlus = 0xBB;    // =+
constexpr VirtualKey kVkOemComma = 0xBC;   // ,<
constexpr VirtualKey kVkOemMinus = 0xBD;   // -_
constexpr VirtualKey kVkOemPeriod = 0xBE;  // .>
constexpr VirtualKey kVkOem2 = 0xBF;       // /?
constexpr VirtualKey kVkOem3 = 0xC0;       // `~
constexpr VirtualKey kVkOem4 = 0xDB;       // [{
constexpr VirtualKey kVkOem5 = 0xDC;       // \|
constexpr VirtualKey kVkOem6 = 0xDD;       // ]}
constexpr VirtualKey kVkOem7 = 0xDE;       // '"
constexpr VirtualKey kVkPacket = 0xE7;     // a Unicode character typed by SendInput
// A code no keyboard layout gives a key: pressed and released while the user
// holds Alt, it keeps the application from taking the Alt release alone as a
// wish to open its menu bar.
constexpr VirtualKey kVkUnassigned = 0xE8;
constexpr VirtualKey kVkNone = 0xFF;  // no key: sent by some keyboards and drivers

// ---- window messages
constexpr std::uint32_t kWmNull = 0x0000;
constexpr std::uint32_t kWmInputLangChangeRequest = 0x0050;
constexpr std::uint32_t kWmInputLangChange = 0x0051;
constexpr std::uint32_t kWmNcLButtonDown = 0x00A1;
constexpr std::uint32_t kWmNcLButtonDblClk = 0x00A3;
constexpr std::uint32_t kWmNcRButtonDown = 0x00A4;
constexpr std::uint32_t kWmNcRButtonDblClk = 0x00A6;
constexpr std::uint32_t kWmNcMButtonDown = 0x00A7;
constexpr std::uint32_t kWmInput = 0x00FF;
constexpr std::uint32_t kWmKeyDown = 0x0100;
constexpr std::uint32_t kWmKeyUp = 0x0101;
constexpr std::uint32_t kWmSysKeyDown = 0x0104;
constexpr std::uint32_t kWmSysKeyUp = 0x0105;
constexpr std::uint32_t kWmMouseMove = 0x0200;
constexpr std::uint32_t kWmLButtonDown = 0x0201;
constexpr std::uint32_t kWmLButtonUp = 0x0202;
constexpr std::uint32_t kWmLButtonDblClk = 0x0203;
constexpr std::uint32_t kWmRButtonDown = 0x0204;
constexpr std::uint32_t kWmRButtonUp = 0x0205;
constexpr std::uint32_t kWmRButtonDblClk = 0x0206;
constexpr std::uint32_t kWmMButtonDown = 0x0207;
constexpr std::uint32_t kWmMButtonUp = 0x0208;
constexpr std::uint32_t kWmMButtonDblClk = 0x0209;
constexpr std::uint32_t kWmMouseWheel = 0x020A;
constexpr std::uint32_t kWmMouseHWheel = 0x020E;
constexpr std::uint32_t kWmUser = 0x0400;

// ---- flags of the keyboard records
constexpr std::uint32_t kInputKeyboard = 1;        // INPUT_KEYBOARD
constexpr std::uint32_t kKeyEventExtendedKey = 1;  // KEYEVENTF_EXTENDEDKEY
constexpr std::uint32_t kKeyEventKeyUp = 2;        // KEYEVENTF_KEYUP
constexpr std::uint32_t kKeyEventUnicode = 4;      // KEYEVENTF_UNICODE
constexpr std::uint32_t kLlkhfExtended = 0x01;
constexpr std::uint32_t kLlkhfInjected = 0x10;
constexpr std::uint32_t kLlkhfUp = 0x80;

// ---- keyboard translation
constexpr std::uint32_t kMapVkToVsc = 0;   // MAPVK_VK_TO_VSC
constexpr std::uint32_t kMapVkToChar = 2;  // MAPVK_VK_TO_CHAR
// ToUnicodeEx flag: the translation leaves the keyboard state (a pending dead
// key) as it was (Windows 10 1607 and later; older versions ignore it).
constexpr std::uint32_t kToUnicodeKeepState = 0x4;

// ---- mouse_event flags
constexpr std::uint32_t kMouseEventMove = 0x0001;
constexpr std::uint32_t kMouseEventAbsolute = 0x8000;

}  // namespace korimo::platform
