#include "shell/regional_language.h"

#include <charconv>

#include "engine/globalroutines.h"
#include "xml/xml_document.h"

namespace korimo {
namespace {

using platform::Hive;
using platform::RegistryValue;

constexpr char16_t kPreloadKey[] = u"Keyboard Layout\\Preload";
constexpr char16_t kSubstitutesKey[] = u"Keyboard Layout\\Substitutes";

std::u16string lowerHex(std::uint32_t value, std::size_t minDigits) {
  char buffer[16];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, value, 16).ptr;
  std::u16string digits(buffer, end);
  if (digits.size() < minDigits) digits.insert(0, minDigits - digits.size(), u'0');
  return digits;
}

// Reads a hexadecimal field, or nullopt when it is not one.
std::optional<std::uint32_t> hexField(std::u16string_view text) {
  try {
    return static_cast<std::uint32_t>(hexToInt(text));
  } catch (const ConversionError&) {
    return std::nullopt;
  }
}

std::uint32_t packedNumber(const RegistryValue& value, const std::u16string& name) {
  if (value.type == RegistryValue::Type::Dword) return value.number;
  if (auto number = parseInteger(value.text)) return static_cast<std::uint32_t>(*number);
  throw LocaleError("registry value " + xml::utf16ToUtf8(name) + " is not a number");
}

}  // namespace

std::u16string RegionalLanguage::readDefaultLayoutId() {
  auto first = shell_.readRegistry(Hive::CurrentUser, kPreloadKey, u"1");
  if (!first) return u"False";
  auto substitute = shell_.readRegistry(Hive::CurrentUser, kSubstitutesKey, first->text);
  return substitute ? substitute->text : first->text;
}

bool RegionalLanguage::localesDone() {
  auto locales = shell_.readRegistry(Hive::CurrentUser, kProductKey, u"Locales");
  return locales && locales->type == RegistryValue::Type::String && trimmed(locales->text) != u"0";
}

bool RegionalLanguage::indianSupportInstalled() {
  auto indian = shell_.readRegistry(Hive::LocalMachine, kLanguagePackKey, u"INDIAN");
  return indian && indian->type == RegistryValue::Type::Dword && indian->number == 4;
}

bool RegionalLanguage::isloadingtodo() { return !(localesDone() && indianSupportInstalled()); }

std::u16string RegionalLanguage::inputLocaleFor(std::u16string_view lcid) {
  const std::u16string& d = defaultLayoutId;
  const std::u16string fallback = d + d;
  std::u16string language = catalogue_.textServices ? std::u16string(lcid) : fallback;

  auto value = shell_.readRegistry(Hive::CurrentUser, kProductKey, language);
  if (!value) return fallback;

  // The packed number's odd hexadecimal digits lead the layout identifier to
  // load; its even digits, after an "f", form the input language's high word.
  auto attempt = [&](const RegistryValue& packed,
                     const std::u16string& name) -> std::optional<std::u16string> {
    std::u16string h = lowerHex(packedNumber(packed, name), 7);
    std::u16string layout = {h[0], h[2], h[4], h[6]};
    if (shell_.loadKeyboardLayout(layout + name, platform::kKlfNoTellShell) == 0)
      return std::nullopt;
    return std::u16string{u'f', h[1], h[3], h[5]} + name;
  };
  if (auto found = attempt(*value, language)) return *found;

  auto retry = shell_.readRegistry(Hive::CurrentUser, kProductKey, d);
  if (!retry) throw LocaleError("registry value " + xml::utf16ToUtf8(d) + " is missing");
  if (auto found = attempt(*retry, d)) return *found;
  return fallback;
}

void RegionalLanguage::deriveInputLocaleString(int keymap) {
  tables_.setHeader(keymap, kKeys, inputLocaleFor(tables_.cell(keymap, kKeys, 0)));
}

void RegionalLanguage::activateDefaultLayout() {
  if (!defaultLanguage()) return;
  shell_.loadKeyboardLayout(u"0000" + defaultLayoutId, platform::kKlfActivate);
}

std::optional<std::uint16_t> RegionalLanguage::defaultLanguage() const {
  auto value = hexField(defaultLayoutId);
  if (!value) return std::nullopt;
  return static_cast<std::uint16_t>(*value & 0xFFFF);
}

void RegionalLanguage::requestLanguage(platform::WindowHandle window, std::uintptr_t wParam,
                                       std::intptr_t lParam) {
  if (window == platform::kNoWindow) return;  // no target known yet
  shell_.postMessage(window, platform::kWmInputLangChangeRequest, wParam, lParam);
  shell_.postMessage(window, platform::kWmInputLangChange, wParam, lParam);
}

void RegionalLanguage::switchInputLanguage(std::u16string_view inputLocale) {
  auto hi = hexField(inputLocale.substr(0, 4));
  auto lo = inputLocale.size() >= 8 ? hexField(inputLocale.substr(4, 4)) : std::nullopt;
  if (!hi || !lo) return;  // no layout to name: no request
  std::uint32_t language = *lo & 0xFFFF;
  requestLanguage(windows_.targetWindow, language,
                  static_cast<std::intptr_t>((*hi << 16) | language));
}

void RegionalLanguage::restoreDefaultInputLanguage() {
  if (auto lo = defaultLanguage())
    requestLanguage(windows_.targetWindow, *lo,
                    static_cast<std::intptr_t>((std::uint32_t{*lo} << 16) | *lo));
}

void RegionalLanguage::broadcastDefaultInputLanguage() {
  if (auto lo = defaultLanguage())
    requestLanguage(platform::kBroadcast, *lo,
                    static_cast<std::intptr_t>((std::uint32_t{*lo} << 16) | *lo));
}

int RegionalLanguage::windowsVersionClass() {
  auto v = shell_.version();
  if (!v) return 0;
  if (v->platformId == 1) {
    if (v->major == 4 && v->minor == 0) return 1;
    if (v->major == 4 && v->minor == 10)
      return v->servicePack.size() >= 2 && v->servicePack[1] == u'A' ? 3 : 2;
    if (v->major == 4 && v->minor == 90) return 5;
    return 0;
  }
  if (v->platformId == 2) {
    if (v->major <= 4) return 4;
    if (v->major == 5 && v->minor == 0) return 6;
    if (v->major == 5 && v->minor == 1) return 7;
    // Windows 8.1 and later report 6.2 without a compatibility manifest and
    // 10.0 with one; all of them carry the Indian-language support.
    if (v->major >= 6) return 8;
  }
  return 0;
}

void RegionalLanguage::launchLocaleTool() {
  shell_.shellExecute(windows_.ownWindow, u"open",
                      (shell_.executableFolder() / std::u16string(kLocaleTool)).u16string());
}

void RegionalLanguage::regionalLanguageCheck() {
  if (!localesDone()) launchLocaleTool();
  if (!indianSupportInstalled()) {
    launchLocaleTool();
    shell_.messageBox(
        u"Regional Language Settings Enabled for Indian Languages\r\nRestart your Computer",
        kApplicationTitle);
    shell_.terminateApplication();
  }
}

}  // namespace korimo
