#include "platform/sim/sim_desktop.h"

#include <algorithm>
#include <stdexcept>

#include "platform/window_kinds.h"
#include "text/unicode_text.h"

namespace korimo::platform::sim {
namespace {

constexpr std::int32_t kCharacterWidth = 8;
constexpr std::int32_t kLineHeight = 16;

}  // namespace

ClusterMarkTest clusterMarksFor(std::u16string_view className) {
  const Deletion deletion = deletionFor(className);
  if (deletion == Deletion::Backspace) return {};
  return [deletion](char32_t cp) { return isClusterMark(deletion, cp); };
}

std::size_t TextField::previousCodePoint(std::size_t at) const {
  if (at == 0) return 0;
  --at;
  if (at > 0 && text::isLowSurrogate(text_[at]) && text::isHighSurrogate(text_[at - 1])) --at;
  return at;
}

std::size_t TextField::nextCodePoint(std::size_t at) const {
  if (at >= text_.size()) return text_.size();
  if (text::isHighSurrogate(text_[at]) && at + 1 < text_.size() &&
      text::isLowSurrogate(text_[at + 1]))
    return at + 2;
  return at + 1;
}

char32_t TextField::codePointAt(std::size_t at) const { return text::nextCodePoint(text_, at); }

bool TextField::isMarkAt(std::size_t at) const {
  return marks_ && at < text_.size() && marks_(codePointAt(at));
}

void TextField::changedFrom(std::size_t at) {
  if (at >= lineCacheAt_) return;
  bool lineBreak = lineStart_ > at;
  for (std::size_t i = at; i < lineCacheAt_ && i < text_.size(); ++i)
    if (text_[i] == u'\r') --linesBefore_, lineBreak = true;
  lineCacheAt_ = at;
  if (lineBreak) lineCacheAt_ = linesBefore_ = lineStart_ = 0;
}

void TextField::countLines() const {
  if (lineCacheAt_ > caret_ || lineCacheAt_ > text_.size())
    lineCacheAt_ = linesBefore_ = lineStart_ = 0;
  for (std::size_t i = lineCacheAt_; i < caret_; ++i)
    if (text_[i] == u'\r') ++linesBefore_, lineStart_ = i + 1;
  lineCacheAt_ = caret_;
}

std::size_t TextField::caretLine() const {
  countLines();
  return linesBefore_;
}

std::size_t TextField::caretColumn() const {
  countLines();
  return caret_ - lineStart_;
}

std::u16string TextField::eraseSelection() {
  const std::size_t from = std::min(anchor_, caret_);
  const std::size_t to = std::max(anchor_, caret_);
  std::u16string taken = text_.substr(from, to - from);
  changedFrom(from);
  text_.erase(from, to - from);
  caret_ = anchor_ = from;
  return taken;
}

void TextField::moveTo(std::size_t at) { caret_ = anchor_ = std::min(at, text_.size()); }

void TextField::insert(char16_t unit) {
  eraseSelection();
  changedFrom(caret_);
  text_.insert(caret_++, 1, unit);
  anchor_ = caret_;
}

void TextField::backspace() {
  if (hasSelection()) {
    eraseSelection();
    return;
  }
  std::size_t from = previousCodePoint(caret_);
  changedFrom(from);
  text_.erase(from, caret_ - from);
  caret_ = anchor_ = from;
}

void TextField::left(bool shift) {
  if (!shift && hasSelection()) {
    moveTo(std::min(anchor_, caret_));
    return;
  }
  caret_ = previousCodePoint(caret_);
  while (caret_ > 0 && isMarkAt(caret_)) caret_ = previousCodePoint(caret_);
  if (!shift) anchor_ = caret_;
}

void TextField::right(bool shift) {
  if (!shift && hasSelection()) {
    moveTo(std::max(anchor_, caret_));
    return;
  }
  caret_ = nextCodePoint(caret_);
  while (caret_ < text_.size() && isMarkAt(caret_)) caret_ = nextCodePoint(caret_);
  if (!shift) anchor_ = caret_;
}

void TextField::deleteForward(bool shift, std::u16string* clipboard) {
  if (hasSelection()) {
    std::u16string taken = eraseSelection();
    if (shift && clipboard) *clipboard = std::move(taken);
    return;
  }
  if (shift) {
    backspace();
    return;
  }
  std::size_t to = nextCodePoint(caret_);
  while (to < text_.size() && isMarkAt(to)) to = nextCodePoint(to);
  changedFrom(caret_);
  text_.erase(caret_, to - caret_);
}

WindowHandle SimDesktop::openWindow(std::u16string className, ClusterMarkTest marks,
                                    WindowHandle handle) {
  if (handle == kNoWindow) {
    while (windows_.contains(nextHandle_)) nextHandle_ += 0x10;
    handle = nextHandle_;
    nextHandle_ += 0x10;
  }
  Window window;
  window.className = std::move(className);
  window.field = TextField(std::move(marks));
  windows_.insert_or_assign(handle, std::move(window));
  foreground_ = handle;
  return handle;
}

void SimDesktop::close(WindowHandle window) {
  windows_.erase(window);
  if (foreground_ == window) foreground_ = kNoWindow;
}

SimDesktop::Window& SimDesktop::window(WindowHandle handle) {
  auto it = windows_.find(handle);
  if (it == windows_.end()) throw std::out_of_range("no such simulated window");
  return it->second;
}

std::pair<SimDesktop::Window*, SimDesktop::Control*> SimDesktop::findControl(WindowHandle control) {
  for (auto& [handle, w] : windows_) {
    if (handle == control) return {&w, nullptr};
    for (Control& c : w.controls)
      if (c.handle == control) return {&w, &c};
  }
  return {nullptr, nullptr};
}

TextField& SimDesktop::field(WindowHandle handle) {
  Window& w = window(handle);
  for (Control& c : w.controls)
    if (c.handle == w.focused) return c.field;
  return w.field;
}

void SimDesktop::setProgram(WindowHandle handle, std::u16string program) {
  window(handle).program = std::move(program);
}

void SimDesktop::setCoversMonitor(WindowHandle handle, bool covers) {
  window(handle).coversMonitor = covers;
}

WindowHandle SimDesktop::addControl(WindowHandle handle, std::u16string className,
                                    std::uint32_t style) {
  Window& w = window(handle);
  while (windows_.contains(nextHandle_) || findControl(nextHandle_).first) nextHandle_ += 0x10;
  const WindowHandle control = nextHandle_;
  nextHandle_ += 0x10;
  auto marks = clusterMarksFor(className);
  w.controls.push_back(Control{control, std::move(className), style, TextField(std::move(marks))});
  w.focused = control;
  return control;
}

void SimDesktop::focusControl(WindowHandle handle, WindowHandle control) {
  Window& w = window(handle);
  w.focused = control == handle ? kNoWindow : control;
}

WindowHandle SimDesktop::focusedControl(WindowHandle handle) {
  const Window& w = window(handle);
  return w.focused == kNoWindow ? handle : w.focused;
}

std::vector<WindowHandle> SimDesktop::controls(WindowHandle handle) {
  std::vector<WindowHandle> out;
  for (const Control& c : window(handle).controls) out.push_back(c.handle);
  return out;
}

const std::u16string& SimDesktop::controlText(WindowHandle control) {
  auto [w, c] = findControl(control);
  if (!w) throw std::out_of_range("no such simulated control");
  return c ? c->field.text() : w->field.text();
}

std::vector<std::u16string> SimDesktop::programNames() {
  std::vector<std::u16string> names;
  for (const auto& [handle, w] : windows_)
    if (!w.program.empty() && !w.ownProcess &&
        std::find(names.begin(), names.end(), w.program) == names.end())
      names.push_back(w.program);
  return names;
}

std::u16string SimDesktop::programName(WindowHandle handle) {
  auto it = windows_.find(handle);
  return it == windows_.end() ? std::u16string() : it->second.program;
}

bool SimDesktop::isPasswordField(WindowHandle control) {
  auto [w, c] = findControl(control);
  return c && isPasswordControl(c->className, c->style);
}

bool SimDesktop::coversItsMonitor(WindowHandle handle) {
  auto it = windows_.find(handle);
  return it != windows_.end() && it->second.coversMonitor;
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

void SimDesktop::deliver(std::uint16_t vk, bool down, char16_t character, bool shift) {
  if (!windows_.contains(foreground_) || !down) return;
  TextField& f = field(foreground_);
  switch (vk) {
    case kVkBack: f.backspace(); break;
    case kVkLeft: f.left(shift); break;
    case kVkRight: f.right(shift); break;
    case kVkHome: f.home(); break;
    case kVkEnd: f.end(); break;
    case kVkDelete: f.deleteForward(shift, &clipboard); break;
    case kVkReturn: f.insert(u'\r'); break;
    case kVkTab: f.insert(u'\t'); break;
    case kVkPacket: f.insert(character); break;
    default:
      if (character >= 0x20 && character != 0x7F) f.insert(character);
      break;
  }
}

void SimDesktop::setElevated(WindowHandle window, bool elevated) {
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.elevated = elevated;
}

void SimDesktop::setOwnProcess(WindowHandle window, bool own) {
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.ownProcess = own;
}

bool SimDesktop::acceptsInjectedInput(WindowHandle window) {
  auto it = windows_.find(window);
  return it == windows_.end() || !it->second.elevated;
}

bool SimDesktop::isOwnProcessWindow(WindowHandle window) {
  auto it = windows_.find(window);
  return it != windows_.end() && it->second.ownProcess;
}

std::optional<FocusPlace> SimDesktop::focusPlace(WindowHandle window) {
  if (!windows_.contains(window)) return std::nullopt;
  const TextField& f = field(window);
  FocusPlace place;
  place.focus = place.caretWindow = focusedControl(window);
  place.caretLeft = static_cast<std::int32_t>(f.caretColumn()) * kCharacterWidth;
  place.caretTop = static_cast<std::int32_t>(f.caretLine()) * kLineHeight;
  place.caretBottom = place.caretTop + kLineHeight;
  return place;
}

unsigned SimDesktop::sendInput(std::span<const KeyboardInput> records) {
  if (inputBlocked) return 0;
  for (const KeyboardInput& input : records) {
    // Windows drops injected input for a window with higher rights, silently.
    if (!acceptsInjectedInput(foreground_)) continue;
    if (onInjected) onInjected(input);
    if (input.type != kInputKeyboard) continue;
    const bool up = (input.dwFlags & kKeyEventKeyUp) != 0;
    if (input.wVk == kVkLShift || input.wVk == kVkRShift || input.wVk == kVkShift) {
      injectedShift_ = !up;
      continue;
    }
    if (input.wVk == 0 && (input.dwFlags & kKeyEventUnicode)) {
      deliver(kVkPacket, !up, static_cast<char16_t>(input.wScan), injectedShift_);
      continue;
    }
    deliver(input.wVk, !up, 0, injectedShift_);
  }
  return static_cast<unsigned>(records.size());
}

}  // namespace korimo::platform::sim
