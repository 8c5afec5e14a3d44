#pragma once
// The input language of the target window: each keymap's language is derived
// at start-up from registry values that the locale tool writes, the target
// is asked to switch to it, and start-up checks the platform's support for
// Indian languages.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "engine/keymap_tables.h"
#include "engine/window_keymaps.h"
#include "platform/shell_platform.h"
#include "shell/catalogue.h"

namespace korimo {

inline constexpr char16_t kProductKey[] = u"SOFTWARE\\Vantrel\\Korimo";
inline constexpr char16_t kLanguagePackKey[] =
    u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\LanguagePack";
inline constexpr char16_t kApplicationTitle[] = u"Vantrel Korimo";
inline constexpr char16_t kLocaleTool[] = u"Vantrellocale.exe";

// A registry value the derivation needs is missing or not a number; it ends
// the start-up loader.
class LocaleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RegionalLanguage {
 public:
  RegionalLanguage(platform::ShellPlatform& shell, KeymapTables& tables,
                   const WindowKeymapList& windows, const Catalogue& catalogue)
      : shell_(shell), tables_(tables), windows_(windows), catalogue_(catalogue) {}

  std::u16string readDefaultLayoutId();
  bool isloadingtodo();
  // The input-locale string for an LCID: "f", three digits and the LCID when
  // a layout of the language loads, else the default layout twice. Raises
  // LocaleError when a value it must read is missing or not a number.
  std::u16string inputLocaleFor(std::u16string_view lcid);
  // Rewrites keymap k's LCID cell into its input-locale string.
  void deriveInputLocaleString(int keymap);
  void activateDefaultLayout();

  void switchInputLanguage(std::u16string_view inputLocale);
  void restoreDefaultInputLanguage();
  void broadcastDefaultInputLanguage();

  int windowsVersionClass();
  void regionalLanguageCheck();

  std::u16string defaultLayoutId = u"False";
  bool loadUnassignedLayouts = true;

 private:
  // The default layout's language, or nullopt when there is no preloaded
  // layout ("False"): the requests that need it are then not made.
  std::optional<std::uint16_t> defaultLanguage() const;
  void requestLanguage(platform::WindowHandle window, std::uintptr_t wParam, std::intptr_t lParam);
  bool localesDone();
  bool indianSupportInstalled();
  void launchLocaleTool();

  platform::ShellPlatform& shell_;
  KeymapTables& tables_;
  const WindowKeymapList& windows_;
  const Catalogue& catalogue_;
};

}  // namespace korimo
