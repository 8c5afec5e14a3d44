#pragma once
// A simulated desktop: top-level windows with handles and class names, one
// text field per window, and synthetic input applied to the focused field the
// way applications apply it.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace korimo::platform::sim {

// Applications built on a browser engine move over and delete whole clusters:
// a base code point with the combining marks that follow it. The test tells
// which code points count as such marks; a field without one edits code point
// by code point.
using ClusterMarkTest = std::function<bool(char32_t)>;

class TextField {
 public:
  explicit TextField(ClusterMarkTest marks = {}) : marks_(std::move(marks)) {}

  void insert(char16_t unit);
  void backspace();  // the code point before the caret
  void left();       // one code point, or one cluster
  void right();
  void deleteForward();  // the code point after the caret, or one cluster
  void home() { caret_ = 0; }
  void end() { caret_ = text_.size(); }

  const std::u16string& text() const { return text_; }
  std::size_t caret() const { return caret_; }

 private:
  std::size_t previousCodePoint(std::size_t at) const;
  std::size_t nextCodePoint(std::size_t at) const;
  char32_t codePointAt(std::size_t at) const;
  bool isMarkAt(std::size_t at) const;

  ClusterMarkTest marks_;
  std::u16string text_;
  std::size_t caret_ = 0;
};

class SimDesktop : public Desktop {
 public:
  // Opens a top-level window, which becomes the foreground window. A handle
  // of 0 picks the next free one.
  WindowHandle openWindow(std::u16string className, ClusterMarkTest marks = {},
                          WindowHandle handle = kNoWindow);
  void focus(WindowHandle window) { foreground_ = window; }
  // A window of a process with higher rights: injected input does not reach it.
  void setElevated(WindowHandle window, bool elevated);
  void close(WindowHandle window);

  TextField& field(WindowHandle window);
  const std::u16string& text(WindowHandle window) { return field(window).text(); }

  // A key the user typed and the application received: applied to the
  // foreground window's field like an injected press of the same key.
  void userKey(std::uint16_t vk, char16_t character);

  // Called for every injected record, before it is applied.
  std::function<void(const KeyboardInput&)> onInjected;

  unsigned sendInput(const KeyboardInput& input) override;
  std::u16string className(WindowHandle window) override;
  void readClassName(WindowHandle window, std::u16string& into) override;
  WindowHandle foregroundWindow() override { return foreground_; }
  bool windowExists(WindowHandle window) override { return windows_.contains(window); }
  bool acceptsInjectedInput(WindowHandle window) override;

 private:
  struct Window {
    std::u16string className;
    TextField field;
    bool elevated = false;
  };
  void applyKey(std::uint16_t vk, char16_t character);

  std::map<WindowHandle, Window> windows_;
  WindowHandle foreground_ = kNoWindow;
  WindowHandle nextHandle_ = 0x10010;
};

}  // namespace korimo::platform::sim
