#include "tools/korimo-cli/typing_session.h"

#include <cstdio>

#include "engine/replacement.h"

namespace korimo::cli {

using platform::KeyboardInput;

std::uint16_t usVirtualKey(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<std::uint16_t>(c - u'a' + 'A');
  if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u' ') return c;
  switch (c) {
    case u'\r': return platform::kVkReturn;
    case u'\b': return platform::kVkBack;
    case u'\x1b': return platform::kVkEscape;
    case u')': return '0';
    case u'!': return '1';
    case u'@': return '2';
    case u'#': return '3';
    case u'$': return '4';
    case u'%': return '5';
    case u'^': return '6';
    case u'&': return '7';
    case u'*': return '8';
    case u'(': return '9';
    case u';':
    case u':': return 186;
    case u'=':
    case u'+': return 187;
    case u',':
    case u'<': return 188;
    case u'-':
    case u'_': return 189;
    case u'.':
    case u'>': return 190;
    case u'/':
    case u'?': return 191;
    case u'`':
    case u'~': return 192;
    case u'[':
    case u'{': return 219;
    case u'\\':
    case u'|': return 220;
    case u']':
    case u'}': return 221;
    case u'\'':
    case u'"': return 222;
    default: return 0;
  }
}

bool usNeedsShift(char16_t c) {
  return (c >= u'A' && c <= u'Z') ||
         std::u16string_view(u"~!@#$%^&*()_+{}|:\"<>?").find(c) != std::u16string_view::npos;
}

platform::sim::ClusterMarkTest clusterMarksFor(const Replacement& replacement,
                                               std::u16string_view className) {
  int kind = replacement.windowKind(className);
  if (kind == kBackspaceKind) return {};
  return [kind](char32_t cp) { return isClusterMark(kind, cp); };
}

TypingSession::TypingSession(std::u16string className) {
  auto marks = clusterMarksFor(engine_.replacement, className);
  window_ = desktop_.openWindow(std::move(className), std::move(marks));
  engine_.windows.targetWindow = window_;
  desktop_.onInjected = [this](const KeyboardInput& input) {
    if (!tracing_) return;
    char line[32];
    if (input.wVk == 0 && (input.dwFlags & platform::kKeyEventUnicode))
      std::snprintf(line, sizeof line, "char %04X", input.wScan);
    else
      std::snprintf(line, sizeof line, "key %u %s", input.wVk,
                    (input.dwFlags & platform::kKeyEventKeyUp) ? "up" : "down");
    events_.emplace_back(line);
  };
}

bool TypingSession::loadKeymap(const std::filesystem::path& path, bool surround, std::string& why) {
  if (!engine_.tables.integritycheck(path, &why)) return false;
  engine_.keymap.activate(1);
  surround_ = surround && !engine_.keymap.activeSmp;
  engine_.composition.setallnull();
  return true;
}

bool TypingSession::isTypable(char16_t c) {
  return (c >= 32 && c <= 126) || c == u'\r' || c == u'\b' || c == u'\x1b';
}

void TypingSession::typeKey(char16_t c) {
  keyEvent(c, true);
  keyEvent(c, false);
}

// The key handler's view of one event while the keymap is on: printable keys
// and Enter are composed (Backspace too when it undoes); printable keys and
// an undoing Backspace are withheld, everything else reaches the window, and
// Backspace and Escape end the composition.
void TypingSession::keyEvent(char16_t c, bool down) {
  const std::uint16_t vk = usVirtualKey(c);
  const bool composable = (c >= 32 && c <= 126) || c == u'\r' || (surround_ && c == u'\b');
  if (composable) {
    if (down) engine_.composeKey(vk, c, surround_);
  } else {
    engine_.composition.setallnull();  // Backspace and Escape are reset keys
  }
  const bool withheld = composable && c != u'\r';
  if (withheld || !down) return;
  if (tracing_) events_.push_back("pass " + std::to_string(vk));
  desktop_.userKey(vk, c);
}

}  // namespace korimo::cli
