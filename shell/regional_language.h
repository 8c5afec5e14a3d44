#pragma once
// The input language of the windows typed into: each keymap's language is
// resolved at start-up to an input locale Windows has loaded (the layout the
// locale tool chose for it, from the registry values it writes), a window is
// asked to type with it when a keymap is switched on there, and given back
// the input locale it had when the keymap goes off and when the program
// ends. Start-up writes the locale tool's values when they are missing and,
// on Windows older than Vista, checks the support for Indian languages.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/window_keymaps.h"
#include "platform/shell_platform.h"
#include "shell/catalogue.h"

namespace korimo {

inline constexpr char16_t kProductKey[] = u"SOFTWARE\\Vantrel\\Korimo";
inline constexpr char16_t kLanguagePackKey[] =
    u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\LanguagePack";
inline constexpr char16_t kApplicationTitle[] = u"Vantrel Korimo";

class RegionalLanguage {
 public:
  RegionalLanguage(platform::ShellPlatform& shell, const WindowKeymapList& windows,
                   const Catalogue& catalogue)
      : shell_(shell), windows_(windows), catalogue_(catalogue) {}

  std::optional<std::u16string> readDefaultLayoutId();
  bool unassignedLayoutsWanted();
  // The input locale (HKL) for a keymap's language, its LCID as hexadecimal
  // text: the layout the locale tool chose for the language, loaded, when it
  // is of that language; else the first layout of the language that Windows
  // has loaded, or has registered and loads now; 0 when there is none
  // (nothing is then asked for).
  std::uintptr_t inputLocaleFor(std::u16string_view lcid);
  // Keymap k's input locale, resolved once when it is catalogued.
  void resolveInputLocale(int keymap, std::u16string_view lcid);
  std::uintptr_t keymapInputLocale(int keymap) const;
  // The program's own thread types with the default layout (the one the
  // keyboard hook translates with).
  void activateDefaultLayout();

  // Asks the window typed into for keymap k's input locale, unless it
  // already has it from us; a keymap whose language Windows has no layout
  // for gives the window back its own.
  void switchInputLanguage(int keymap);
  // Gives the window typed into the input locale it had before we switched
  // it; a window we never switched is left as it is.
  void restoreInputLanguage();
  // The same for every window we switched: at exit and restart.
  void restoreSwitchedWindows();

  // Whether Windows itself carries the support for Indian languages
  // (Vista and later); older ones need the regional-language check.
  bool windowsHasIndianSupport();
  void regionalLanguageCheck();
  // Writes the locale tool's values (the layout per keymap language, then
  // "Locales") when "Locales" says they are not there yet.
  void writeLocalesWhenUnset();

  std::optional<std::u16string> defaultLayoutId;
  bool loadUnassignedLayouts = true;

 private:
  void request(platform::WindowHandle window, std::uintptr_t locale);
  bool localesDone();
  bool indianSupportInstalled();

  platform::ShellPlatform& shell_;
  const WindowKeymapList& windows_;
  const Catalogue& catalogue_;
  std::vector<std::uintptr_t> keymapLocales_;  // by catalogue number
  struct Switched {
    std::uintptr_t original = 0;   // what the window had before
    std::uintptr_t requested = 0;  // what we asked for last
  };
  std::map<platform::WindowHandle, Switched> switched_;
};

}  // namespace korimo
