#include "shell/tray_menus.h"

#include "shell/program_core.h"
#include "text/unicode_text.h"

namespace korimo {

std::u16string_view mainMenuCaption(MainMenuItem item) {
  switch (item) {
    case MainMenuItem::Settings: return u"Settings";
    case MainMenuItem::OnScreenKeyboard: return u"On-Screen Keyboard ";
    case MainMenuItem::KeyPreview: return u"Key Preview";
    case MainMenuItem::VisitHelpPage: return u"Visit Help page";
    case MainMenuItem::About: return u"About...";
    case MainMenuItem::NeverTypeIn: return u"Never type in this program";
    case MainMenuItem::Exit: return u"Exit";
  }
  return u"";
}

std::vector<MenuLine> mainMenuLines(const ProgramCore& core) {
  std::vector<MenuLine> lines;
  for (MainMenuItem item : kMainMenuItems) {
    const bool checked = (item == MainMenuItem::OnScreenKeyboard && core.oskChecked) ||
                         (item == MainMenuItem::KeyPreview && core.keyPreviewChecked);
    lines.push_back({std::u16string(mainMenuCaption(item)), checked});
  }
  if (!core.menuProgram.empty()) {
    MenuLine& never = lines[static_cast<std::size_t>(MainMenuItem::NeverTypeIn)];
    never.caption = u"Never type in " + core.menuProgram;
    never.checked = listsProgram(core.catalogue.neverTypeIn, core.menuProgram);
  } else {
    lines[static_cast<std::size_t>(MainMenuItem::NeverTypeIn)].enabled = false;
  }
  return lines;
}

std::vector<MenuLine> keymapMenuLines(const ProgramCore& core) {
  std::vector<MenuLine> lines;
  const KeymapMenu& menu = core.catalogue.keymapMenu;
  for (std::size_t i = 0; i < menu.size(); ++i) lines.push_back({menu[i].caption, menu[i].checked});
  return lines;
}

namespace {

// Why the program does not type where the user is, for the hint.
std::u16string pauseReason(const ProgramCore& core) {
  switch (core.pause) {
    case Pause::None: break;
    case Pause::ListedProgram: return u"never type in " + core.targetProgram;
    case Pause::FullScreen: return u"full-screen program";
    case Pause::PasswordField: return u"password field";
  }
  return {};
}

}  // namespace

TrayLook trayLook(const ProgramCore& core) {
  TrayLook look;
  const bool paused = core.keymapOn && !core.targetAcceptsInput;
  look.on =
      core.catalogue.trayIconOn && core.hookProblem.empty() && !paused && core.pause == Pause::None;
  look.tooltip = core.hookProblem.empty() ? core.catalogue.trayHint : core.hookProblem;
  if (core.hookProblem.empty() && core.pause != Pause::None)
    look.tooltip = u"Paused: " + pauseReason(core) + u" - " + look.tooltip;
  else if (core.hookProblem.empty() && paused)
    look.tooltip = u"Paused: the window in front runs as administrator - " + look.tooltip;
  else if (core.hookProblem.empty() && !core.typingProblem.empty())
    look.tooltip = core.typingProblem + u" - " + look.tooltip;
  if (look.tooltip.size() > kTooltipUnits) {
    std::size_t cut = kTooltipUnits;
    // Never leave half of a surrogate pair at the end.
    if (cut > 0 && text::isHighSurrogate(look.tooltip[cut - 1])) --cut;
    look.tooltip.resize(cut);
  }
  return look;
}

}  // namespace korimo
