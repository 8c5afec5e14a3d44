#include "platform/sim/sim_shell.h"

#include <algorithm>

#include "text/unicode_text.h"

namespace korimo::platform::sim {
namespace {

std::u16string folded(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return out;
}

}  // namespace

SimShell::KeyName SimShell::keyName(Hive hive, std::u16string_view key) {
  return {hive, folded(key)};
}

void SimShell::setRegistry(Hive hive, std::u16string key, std::u16string name,
                           RegistryValue value) {
  spelling_.try_emplace(keyName(hive, key), key);
  registry_[keyName(hive, key)][folded(name)] = std::move(value);
}

void SimShell::createRegistryKey(Hive hive, std::u16string key) {
  spelling_.try_emplace(keyName(hive, key), key);
  registry_[keyName(hive, key)];
}

std::optional<RegistryValue> SimShell::readRegistry(Hive hive, std::u16string_view key,
                                                    std::u16string_view name) {
  auto k = registry_.find(keyName(hive, key));
  if (k == registry_.end()) return std::nullopt;
  auto v = k->second.find(folded(name));
  if (v == k->second.end()) return std::nullopt;
  return v->second;
}

std::vector<std::pair<std::u16string, RegistryValue>> SimShell::registryValues(
    Hive hive, std::u16string_view key) const {
  auto k = registry_.find(keyName(hive, key));
  if (k == registry_.end()) return {};
  return {k->second.begin(), k->second.end()};
}

bool SimShell::registryKeyExists(Hive hive, std::u16string_view key) {
  return registry_.contains(keyName(hive, key));
}

std::vector<std::u16string> SimShell::registrySubkeys(Hive hive, std::u16string_view key) {
  // Keys above a written key exist too, as in the real registry.
  std::vector<std::u16string> names;
  const std::u16string prefix = folded(key) + u"\\";
  for (const auto& [name, spelled] : spelling_) {
    const auto& [keyHive, path] = name;
    if (keyHive != hive || !path.starts_with(prefix)) continue;
    std::u16string_view rest = std::u16string_view(spelled).substr(prefix.size());
    std::u16string child(rest.substr(0, rest.find(u'\\')));
    if (std::find_if(names.begin(), names.end(), [&](const std::u16string& n) {
          return folded(n) == folded(child);
        }) == names.end())
      names.push_back(std::move(child));
  }
  return names;
}

bool SimShell::writeRegistry(Hive hive, std::u16string_view key, std::u16string_view name,
                             const RegistryValue& value) {
  if (registryReadOnly) return false;
  setRegistry(hive, std::u16string(key), std::u16string(name), value);
  return true;
}

bool SimShell::deleteRegistryValue(Hive hive, std::u16string_view key, std::u16string_view name) {
  if (registryReadOnly) return false;
  auto k = registry_.find(keyName(hive, key));
  if (k != registry_.end()) k->second.erase(folded(name));
  return true;
}

std::uintptr_t SimShell::inputLocaleOf(std::u16string_view id) {
  const std::u16string key =
      u"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\" + std::u16string(id);
  const bool installed =
      std::any_of(installedLayouts.begin(), installedLayouts.end(),
                  [&](const std::u16string& layout) { return folded(layout) == folded(id); });
  if ((!installed && !registryKeyExists(Hive::LocalMachine, key)) || id.size() != 8) return 0;
  const std::optional<std::uint32_t> parsed = text::parseHex(id);
  if (!parsed) return 0;
  const std::uint32_t klid = *parsed;
  // A layout's input locale: the language in the low word; in the high word
  // 0xF000 and its Layout Id for a variant, else the layout's own word (the
  // language again for a language's first layout).
  const std::uint32_t language = klid & 0xFFFF;
  std::uint32_t high = klid >> 16 ? klid >> 16 : language;
  if (auto layoutId = readRegistry(Hive::LocalMachine, key, u"Layout Id")) {
    high = 0xF000 | (text::parseHex(layoutId->text).value_or(0) & 0x0FFF);
  }
  return static_cast<std::uintptr_t>(high << 16 | language);
}

std::uintptr_t SimShell::loadKeyboardLayout(std::u16string_view id, std::uint32_t flags) {
  loadedLayouts.emplace_back(std::u16string(id), flags);
  const std::uintptr_t locale = inputLocaleOf(id);
  if (locale != 0 && std::find(loaded_.begin(), loaded_.end(), locale) == loaded_.end())
    loaded_.push_back(locale);
  return locale;
}

std::vector<std::uintptr_t> SimShell::keyboardLayoutList() {
  std::vector<std::uintptr_t> list;
  for (const std::u16string& id : installedLayouts)
    if (std::uintptr_t locale = inputLocaleOf(id)) list.push_back(locale);
  for (std::uintptr_t locale : loaded_)
    if (std::find(list.begin(), list.end(), locale) == list.end()) list.push_back(locale);
  return list;
}

std::uintptr_t SimShell::windowInputLocale(WindowHandle window) {
  if (auto it = windowLocales.find(window); it != windowLocales.end()) return it->second;
  const std::vector<std::uintptr_t> list = keyboardLayoutList();
  return list.empty() ? 0 : list.front();
}

bool SimShell::postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
  posted.push_back({window, message, wParam, lParam});
  // The window's default procedure takes a request for a loaded input locale.
  if (message == kWmInputLangChangeRequest && window != kNoWindow && window != kBroadcast) {
    const std::vector<std::uintptr_t> list = keyboardLayoutList();
    const auto locale = static_cast<std::uintptr_t>(lParam);
    if (std::find(list.begin(), list.end(), locale) != list.end()) windowLocales[window] = locale;
  }
  return window != kNoWindow;
}

void SimShell::busy(std::uint32_t ms) {
  if (ms > 0 && offThread_ == 0 && onThreadBlocked) onThreadBlocked(ms);
}

void SimShell::reach(const std::filesystem::path& path) {
  const std::u16string text = path.u16string();
  for (const auto& [prefix, ms] : slowPaths)
    if (text.starts_with(prefix)) busy(ms);
}

void SimShell::runOffThread(const std::function<void()>& work) {
  ++offThread_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{offThread_};
  work();
}

void SimShell::shellExecute(WindowHandle, std::u16string_view, std::u16string_view file,
                            std::u16string_view parameters) {
  busy(launchMs);
  launched.emplace_back(file);
  if (!parameters.empty()) launched.back() += u" " + std::u16string(parameters);
}

bool SimShell::setForegroundWindow(WindowHandle window) {
  foregroundRequests.push_back(window);
  if (onSetForeground) onSetForeground(window);
  return window != kNoWindow;
}

void SimShell::messageBox(WindowHandle, std::u16string_view text, std::u16string_view caption) {
  if (onModal) onModal();
  messages.push_back(std::u16string(caption) + u": " + std::u16string(text));
}

bool SimShell::messageBoxYesNo(WindowHandle, std::u16string_view text,
                               std::u16string_view caption) {
  if (onModal) onModal();
  bool yes = false;
  if (!yesNoAnswers.empty()) {
    yes = yesNoAnswers.front();
    yesNoAnswers.erase(yesNoAnswers.begin());
  }
  messages.push_back(std::u16string(caption) + u": " + std::u16string(text) +
                     (yes ? u" -> Yes" : u" -> No"));
  return yes;
}

std::optional<std::filesystem::path> SimShell::getOpenFileName(WindowHandle,
                                                               std::u16string_view title,
                                                               std::u16string_view filter,
                                                               std::u16string_view fileName) {
  if (onModal) onModal();
  openFileDialogs.push_back(std::u16string(title) + u"|" + std::u16string(filter) + u"|" +
                            std::u16string(fileName));
  std::optional<std::filesystem::path> chosen = std::move(nextOpenFile);
  nextOpenFile.reset();
  return chosen;
}

bool SimShell::copyFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  reach(from);
  if (copyFails) return false;
  std::error_code error;
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
  return !error;
}

bool SimShell::fileExists(const std::filesystem::path& path) {
  reach(path);
  std::error_code ignored;
  return std::filesystem::is_regular_file(path, ignored);
}

}  // namespace korimo::platform::sim
