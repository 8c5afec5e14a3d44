#include "tools/korimo-cli/typing_session.h"

#include <cstdio>

#include "engine/keymap_file.h"
#include "platform/sim/us_keyboard.h"
#include "settings/configuration.h"

namespace korimo::cli {

TypingSession::TypingSession(std::u16string className)
    : session_(std::filesystem::path()), className_(std::move(className)) {}

bool TypingSession::loadKeymap(const std::filesystem::path& path, bool surround, std::string& why) {
  // The core leaves a refused keymap out of its catalogue without a word:
  // the check tells why.
  if (!readKeymapFile(path, &why)) return false;

  Configuration configuration;
  configuration.textServices = false;
  configuration.surround = surround;
  ConfigurationEntry entry;
  entry.language = u"Keymap";
  entry.keyboard = u"Typed";
  entry.encoding = u"Unicode";
  entry.filename = path.filename().u16string();
  entry.tkey1 = u"1";
  configuration.entries.push_back(entry);
  session_.startUp(CatalogueSource{configurationDocument(configuration), path.parent_path(), {}});

  window_ = session_.openWindow(className_);
  session_.hooks.press(platform::kVkLMenu);
  session_.typeCharacter(u'1');
  session_.hooks.release(platform::kVkLMenu);
  if (!session_.core().keymapOn) {
    why = "the keymap did not switch on";
    return false;
  }
  return true;
}

bool TypingSession::isTypable(char16_t c) {
  return (c >= 32 && c <= 126) || c == u'\r' || c == u'\b' || c == u'\x1b';
}

void TypingSession::typeKey(char16_t c) {
  const std::size_t before = session_.hooks.deliveredKeys.size();
  session_.typeCharacter(c);
  if (!tracing_) return;
  // What reached the window: the engine's injected records (a character's
  // press and release as one line), and the typed key itself when it was
  // let through (the user's Shift around it is not traced).
  const platform::VirtualKey typed = platform::sim::usKeystroke(c).vk;
  const auto& delivered = session_.hooks.deliveredKeys;
  for (std::size_t i = before; i < delivered.size(); ++i) {
    const platform::sim::DeliveredKey& key = delivered[i];
    char line[32];
    if (key.injected && key.unicode) {
      if (!key.down) continue;  // a character's release: the line is its press
      std::snprintf(line, sizeof line, "char %04X", key.unicode);
    } else if (key.injected)
      std::snprintf(line, sizeof line, "key %u %s", key.vk, key.down ? "down" : "up");
    else if (key.down && key.vk == typed)
      std::snprintf(line, sizeof line, "pass %u", key.vk);
    else
      continue;
    events_.emplace_back(line);
  }
}

}  // namespace korimo::cli
