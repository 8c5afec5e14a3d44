#include "platform/sim/sim_shell.h"

#include <algorithm>

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

std::uintptr_t SimShell::loadKeyboardLayout(std::u16string_view id, std::uint32_t flags) {
  loadedLayouts.emplace_back(std::u16string(id), flags);
  std::u16string wanted = folded(id);
  for (std::size_t i = 0; i < installedLayouts.size(); ++i)
    if (folded(installedLayouts[i]) == wanted) return 0x1000 + i;
  // A layout the registry lists as installed loads too.
  if (registryKeyExists(
          Hive::LocalMachine,
          u"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\" + std::u16string(id)))
    return 0x2000 + loadedLayouts.size();
  return 0;
}

bool SimShell::postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
  posted.push_back({window, message, wParam, lParam});
  return window != kNoWindow;
}

void SimShell::shellExecute(WindowHandle, std::u16string_view, std::u16string_view file) {
  launched.emplace_back(file);
}

bool SimShell::setForegroundWindow(WindowHandle window) {
  foregroundRequests.push_back(window);
  if (onSetForeground) onSetForeground(window);
  return window != kNoWindow;
}

void SimShell::messageBox(std::u16string_view text, std::u16string_view caption) {
  messages.push_back(std::u16string(caption) + u": " + std::u16string(text));
}

bool SimShell::fileExists(const std::filesystem::path& path) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(path, ignored);
}

}  // namespace korimo::platform::sim
