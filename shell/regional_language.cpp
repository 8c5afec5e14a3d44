#include "shell/regional_language.h"

#include <charconv>

#include "engine/written_values.h"
#include "locale/locale_tool.h"
#include "text/unicode_text.h"
#include "xml/xml_document.h"

namespace korimo {
namespace {

using platform::Hive;
using platform::RegistryValue;

std::u16string lowerHex(std::uint32_t value, std::size_t minDigits) {
  char buffer[16];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, value, 16).ptr;
  std::u16string digits(buffer, end);
  if (digits.size() < minDigits) digits.insert(0, minDigits - digits.size(), u'0');
  return digits;
}

// The packed layout number the locale tool wrote, or nullopt when the value
// is not a number.
std::optional<std::uint32_t> packedNumber(const RegistryValue& value) {
  if (value.type == RegistryValue::Type::Dword) return value.number;
  if (auto number = parseInteger(value.text)) return static_cast<std::uint32_t>(*number);
  return std::nullopt;
}

std::uint16_t languageOf(std::uintptr_t locale) { return static_cast<std::uint16_t>(locale); }

constexpr char16_t kPreloadKey[] = u"Keyboard Layout\\Preload";
constexpr char16_t kSubstitutesKey[] = u"Keyboard Layout\\Substitutes";

}  // namespace

std::optional<std::u16string> RegionalLanguage::readDefaultLayoutId() {
  auto first = shell_.readRegistry(Hive::CurrentUser, kPreloadKey, u"1");
  if (!first) return std::nullopt;
  auto substitute = shell_.readRegistry(Hive::CurrentUser, kSubstitutesKey, first->text);
  return substitute ? substitute->text : first->text;
}

bool RegionalLanguage::localesDone() {
  auto locales = shell_.readRegistry(Hive::CurrentUser, kProductKey, u"Locales");
  // The locale tool writes "1" once its values are there; anything else (a
  // "0", a value of another type) is work still to do.
  return locales && locales->type == RegistryValue::Type::String && trimmed(locales->text) == u"1";
}

bool RegionalLanguage::indianSupportInstalled() {
  auto indian = shell_.readRegistry(Hive::LocalMachine, kLanguagePackKey, u"INDIAN");
  return indian && indian->type == RegistryValue::Type::Dword && indian->number == 4;
}

bool RegionalLanguage::unassignedLayoutsWanted() {
  return !(localesDone() && indianSupportInstalled());
}

std::uintptr_t RegionalLanguage::inputLocaleFor(std::u16string_view lcid) {
  const std::optional<std::uint32_t> number = text::parseHex(lcid);
  if (!number) return 0;
  const auto language = static_cast<std::uint16_t>(*number);
  // The packed number's odd hexadecimal digits lead the identifier of the
  // layout the locale tool chose; the language's own four digits end it.
  if (auto value = shell_.readRegistry(Hive::CurrentUser, kProductKey, lcid)) {
    if (auto packed = packedNumber(*value)) {
      const std::u16string h = lowerHex(*packed, 7);
      const std::u16string layout = std::u16string{h[0], h[2], h[4], h[6]} + std::u16string(lcid);
      const std::uintptr_t locale = shell_.loadKeyboardLayout(layout, platform::kKlfNoTellShell);
      if (locale != 0 && languageOf(locale) == language) return locale;
    }
  }
  for (std::uintptr_t locale : shell_.keyboardLayoutList())
    if (languageOf(locale) == language) return locale;
  // The language's first layout, when Windows has it registered but not loaded.
  const std::uintptr_t first =
      shell_.loadKeyboardLayout(u"0000" + std::u16string(lcid), platform::kKlfNoTellShell);
  return first != 0 && languageOf(first) == language ? first : 0;
}

void RegionalLanguage::resolveInputLocale(int keymap, std::u16string_view lcid) {
  const auto k = static_cast<std::size_t>(keymap);
  if (keymapLocales_.size() <= k) keymapLocales_.resize(k + 1, 0);
  keymapLocales_[k] = catalogue_.textServices ? inputLocaleFor(lcid) : 0;
}

std::uintptr_t RegionalLanguage::keymapInputLocale(int keymap) const {
  const auto k = static_cast<std::size_t>(keymap);
  return k < keymapLocales_.size() ? keymapLocales_[k] : 0;
}

void RegionalLanguage::activateDefaultLayout() {
  if (!defaultLayoutId || defaultLayoutId->size() != 8 || !text::parseHex(*defaultLayoutId)) return;
  shell_.loadKeyboardLayout(*defaultLayoutId, platform::kKlfActivate);
}

// WM_INPUTLANGCHANGEREQUEST as Windows sends it: no flags (the next and
// previous flags are for the hot keys that step through the list), and an
// input locale that is loaded. The window's default procedure switches and
// tells it with WM_INPUTLANGCHANGE itself.
void RegionalLanguage::request(platform::WindowHandle window, std::uintptr_t locale) {
  shell_.postMessage(window, platform::kWmInputLangChangeRequest, 0,
                     static_cast<std::intptr_t>(locale));
}

void RegionalLanguage::switchInputLanguage(int keymap) {
  const platform::WindowHandle window = windows_.targetWindow;
  const std::uintptr_t locale = keymapInputLocale(keymap);
  if (window == platform::kNoWindow) return;
  if (locale == 0) {
    // Windows has no layout of this language: the window goes back to its own.
    restoreInputLanguage();
    return;
  }
  auto it = switched_.find(window);
  if (it == switched_.end()) {
    const std::uintptr_t own = shell_.windowInputLocale(window);
    if (own == locale) return;  // it types with that one already
    it = switched_.emplace(window, Switched{own, 0}).first;
  }
  if (it->second.requested == locale) return;
  it->second.requested = locale;
  request(window, locale);
}

void RegionalLanguage::restoreInputLanguage() {
  auto it = switched_.find(windows_.targetWindow);
  if (it == switched_.end()) return;
  if (it->second.original != 0) request(it->first, it->second.original);
  switched_.erase(it);
}

void RegionalLanguage::restoreSwitchedWindows() {
  for (const auto& [window, switched] : switched_)
    if (switched.original != 0) request(window, switched.original);
  switched_.clear();
}

bool RegionalLanguage::windowsHasIndianSupport() {
  const auto v = shell_.version();
  // Windows 8.1 and later report 6.2 without a compatibility manifest and
  // 10.0 with one; all of them, as Vista and 7, carry the support.
  return v && v->platformId == 2 && v->major >= 6;
}

// The locale tool's work, done here whenever it has not been done for this
// user: the installer runs the tool, but a copy unpacked from the zip, a
// second user of the computer, or a run of the tool that could not write,
// all start without the values.
void RegionalLanguage::writeLocalesWhenUnset() {
  if (localesDone()) return;
  locale_tool::writeLocales(shell_, locale_tool::keymapLanguages(shell_.executableFolder()),
                            locale_tool::readKeyboardLayouts(shell_));
}

void RegionalLanguage::regionalLanguageCheck() {
  if (!indianSupportInstalled()) {
    shell_.messageBox(
        u"Regional Language Settings Enabled for Indian Languages\r\nRestart your Computer",
        kApplicationTitle);
    shell_.terminateApplication();
  }
}

}  // namespace korimo
