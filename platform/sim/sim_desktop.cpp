#include "platform/sim/sim_desktop.h"

#include <stdexcept>

namespace korimo::platform::sim {
namespace {

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::size_t TextField::previousCodePoint(std::size_t at) const {
  if (at == 0) return 0;
  --at;
  if (at > 0 && isLowSurrogate(text_[at]) && isHighSurrogate(text_[at - 1])) --at;
  return at;
}

std::size_t TextField::nextCodePoint(std::size_t at) const {
  if (at >= text_.size()) return text_.size();
  if (isHighSurrogate(text_[at]) && at + 1 < text_.size() && isLowSurrogate(text_[at + 1]))
    return at + 2;
  return at + 1;
}

char32_t TextField::codePointAt(std::size_t at) const {
  char16_t u = text_[at];
  if (isHighSurrogate(u) && at + 1 < text_.size() && isLowSurrogate(text_[at + 1]))
    return 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text_[at + 1]) - 0xDC00);
  return u;
}

bool TextField::isMarkAt(std::size_t at) const {
  return marks_ && at < text_.size() && marks_(codePointAt(at));
}

void TextField::insert(char16_t unit) { text_.insert(caret_++, 1, unit); }

void TextField::backspace() {
  std::size_t from = previousCodePoint(caret_);
  text_.erase(from, caret_ - from);
  caret_ = from;
}

void TextField::left() {
  caret_ = previousCodePoint(caret_);
  while (caret_ > 0 && isMarkAt(caret_)) caret_ = previousCodePoint(caret_);
}

void TextField::right() {
  caret_ = nextCodePoint(caret_);
  while (caret_ < text_.size() && isMarkAt(caret_)) caret_ = nextCodePoint(caret_);
}

void TextField::deleteForward() {
  std::size_t to = nextCodePoint(caret_);
  while (to < text_.size() && isMarkAt(to)) to = nextCodePoint(to);
  text_.erase(caret_, to - caret_);
}

WindowHandle SimDesktop::openWindow(std::u16string className, ClusterMarkTest marks,
                                    WindowHandle handle) {
  if (handle == kNoWindow) {
    while (windows_.contains(nextHandle_)) nextHandle_ += 0x10;
    handle = nextHandle_;
    nextHandle_ += 0x10;
  }
  windows_.insert_or_assign(handle, Window{std::move(className), TextField(std::move(marks))});
  foreground_ = handle;
  return handle;
}

void SimDesktop::close(WindowHandle window) {
  windows_.erase(window);
  if (foreground_ == window) foreground_ = kNoWindow;
}

TextField& SimDesktop::field(WindowHandle window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) throw std::out_of_range("no such simulated window");
  return it->second.field;
}

void SimDesktop::readClassName(WindowHandle window, std::u16string& into) {
  auto it = windows_.find(window);
  if (it == windows_.end())
    into.clear();
  else
    into.assign(it->second.className);
}

std::u16string SimDesktop::className(WindowHandle window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? std::u16string() : it->second.className;
}

void SimDesktop::applyKey(std::uint16_t vk, char16_t character) {
  auto it = windows_.find(foreground_);
  if (it == windows_.end()) return;
  TextField& f = it->second.field;
  switch (vk) {
    case kVkBack: f.backspace(); break;
    case kVkLeft: f.left(); break;
    case kVkRight: f.right(); break;
    case kVkHome: f.home(); break;
    case kVkEnd: f.end(); break;
    case kVkDelete: f.deleteForward(); break;
    case kVkReturn: f.insert(u'\r'); break;
    case kVkTab: f.insert(u'\t'); break;
    default:
      if (character >= 0x20 && character != 0x7F) f.insert(character);
      break;
  }
}

void SimDesktop::userKey(std::uint16_t vk, char16_t character) { applyKey(vk, character); }

void SimDesktop::setElevated(WindowHandle window, bool elevated) {
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.elevated = elevated;
}

bool SimDesktop::acceptsInjectedInput(WindowHandle window) {
  auto it = windows_.find(window);
  return it == windows_.end() || !it->second.elevated;
}

unsigned SimDesktop::sendInput(const KeyboardInput& input) {
  // Windows drops injected input for a window with higher rights, silently.
  if (!acceptsInjectedInput(foreground_)) return 1;
  if (onInjected) onInjected(input);
  if (input.type != kInputKeyboard) return 0;
  if (input.dwFlags & kKeyEventKeyUp) return 1;
  if (input.wVk == 0) {
    if (input.dwFlags & kKeyEventUnicode) {
      auto it = windows_.find(foreground_);
      if (it != windows_.end()) it->second.field.insert(input.wScan);
    }
    return 1;
  }
  applyKey(input.wVk, 0);
  return 1;
}

}  // namespace korimo::platform::sim
