#pragma once
// The locale tool, Vantrellocale.exe: for the language of every keymap in
// the Data folder beside it, it writes under the current user's product key
// the packed number of a keyboard layout Windows has for that language
// (keyboard_layouts.h), removes the value of a language without one, then
// sets "Locales" to "1" so that the program stops starting the tool. It
// asks nothing, writes only the current user's keys and reports what it did
// in one message box; with /quiet (as the installer and the program start
// it) it shows nothing and tells by its exit code alone.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "locale/keyboard_layouts.h"
#include "platform/shell_platform.h"

namespace korimo::locale_tool {

// One language the keymaps type, and the layout chosen for it.
struct LanguageChoice {
  std::u16string lcid;                // as the keymaps write it
  std::vector<std::u16string> names;  // its keymaps' languages (config.xml) or file names
  std::optional<KeyboardLayout> layout;
};

struct KeymapLanguages {
  std::vector<LanguageChoice> languages;  // without layouts yet
  std::vector<std::u16string> refused;    // files in Data that fail the keymap check
};

// The languages of every .xml file in appFolder's Data folder that passes
// the keymap check: the keymaps config.xml lists first, in its order, then
// the others by file name; each language once. A keymap is named by its
// config.xml Language, else by its file name.
KeymapLanguages keymapLanguages(const std::filesystem::path& appFolder);

// The layouts registered under the local machine's "Keyboard Layouts".
std::vector<KeyboardLayout> readKeyboardLayouts(platform::ShellPlatform& shell);

struct LocaleOutcome {
  std::vector<LanguageChoice> languages;  // with the chosen layouts
  std::vector<std::u16string> refused;
  std::vector<std::u16string> unwritten;  // value names the registry refused
  bool localesSet = false;
};

// Chooses a layout per language and writes the values; "Locales" is set
// only when every other value was written.
LocaleOutcome writeLocales(platform::ShellPlatform& shell, KeymapLanguages keymaps,
                           const std::vector<KeyboardLayout>& layouts);

// The text of the tool's one message box.
std::u16string reportText(const LocaleOutcome& outcome);

inline constexpr char16_t kQuietSwitch[] = u"/quiet";

// Whether the tool's command line (its arguments, without the program's
// name) asks for no message box: /quiet, in any letter case.
bool quietRequested(std::u16string_view arguments);

// The whole tool; the exit code is 0 when "Locales" was set, 1 otherwise.
int runLocaleTool(platform::ShellPlatform& shell, bool quiet);

}  // namespace korimo::locale_tool
