#pragma once
// What the tray icon and its two menus show, as the views draw them: the
// icon's picture and tooltip, the keymap sub-menu's items with the check
// mark, and the main menu's seven items.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace korimo {

class ProgramCore;

struct MenuLine {
  std::u16string caption;
  bool checked = false;
  bool enabled = true;  // false: shown greyed, not chosen
};

// The main menu, top to bottom. "Never type in <program>" names the
// program of the window in front when the menu opened, checked when it is
// on the list; greyed "Never type in this program" when there is none.
enum class MainMenuItem {
  Settings,
  OnScreenKeyboard,
  KeyPreview,
  VisitHelpPage,
  About,
  NeverTypeIn,
  Exit
};
constexpr std::array<MainMenuItem, 7> kMainMenuItems = {
    MainMenuItem::Settings,   MainMenuItem::OnScreenKeyboard,
    MainMenuItem::KeyPreview, MainMenuItem::VisitHelpPage,
    MainMenuItem::About,      MainMenuItem::NeverTypeIn,
    MainMenuItem::Exit};
std::u16string_view mainMenuCaption(MainMenuItem item);

std::vector<MenuLine> mainMenuLines(const ProgramCore& core);
// Item 0 is Keymap off, item k catalogued keymap k. Only keymaps with a
// toggle key are catalogued, and Keymap off holds one of the keys, so the
// menu has at most 10 lines (Alt digits) or 12 (F2 to F12, Scroll Lock):
// one screen, however many keymaps config.xml lists.
std::vector<MenuLine> keymapMenuLines(const ProgramCore& core);

// The notification area keeps at most this many units of a tooltip.
constexpr std::size_t kTooltipUnits = 127;

struct TrayLook {
  bool on = false;  // the "on" picture: a keymap is on
  std::u16string tooltip;
};
TrayLook trayLook(const ProgramCore& core);

}  // namespace korimo
