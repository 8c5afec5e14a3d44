#include "shell/core_observer.h"

namespace korimo {

std::string ViewParts::names() const {
  static constexpr std::pair<ViewPart, const char*> kNames[] = {
      {ViewPart::Tray, "tray"},
      {ViewPart::KeymapMenu, "keymap-menu"},
      {ViewPart::MainMenu, "main-menu"},
      {ViewPart::KeyPreview, "key-preview"},
      {ViewPart::Keyboard, "keyboard"}};
  std::string out;
  for (const auto& [part, name] : kNames) {
    if (!has(part)) continue;
    if (!out.empty()) out += ' ';
    out += name;
  }
  return out;
}

}  // namespace korimo
