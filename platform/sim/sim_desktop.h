#pragma once
// A simulated desktop: top-level windows with handles, class names and
// programs, a text field per window (and more controls where a test adds
// them), and keys applied to the focused field the way
// applications apply them, with the modifiers Windows holds at the time:
// Shift+Left selects, Shift+Delete cuts the selection to the clipboard.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/text_output.h"

namespace korimo::platform::sim {

// Applications built on a browser engine move over and delete whole clusters:
// a base code point with the combining marks that follow it. The test tells
// which code points count as such marks; a field without one edits code point
// by code point.
using ClusterMarkTest = std::function<bool(char32_t)>;

// How a window of this class edits: the browser classes by clusters of a
// base and the marks that TextOutput deletes with it, others code point by
// code point (no test).
ClusterMarkTest clusterMarksFor(std::u16string_view className);

// A text field that edits as Windows' Edit control does: a caret, and a
// selection that Shift with the arrow keys makes.
class TextField {
 public:
  explicit TextField(ClusterMarkTest marks = {}) : marks_(std::move(marks)) {}

  void insert(char16_t unit);  // replaces the selection
  void backspace();            // the selection, or the code point before the caret
  void left(bool shift = false);
  void right(bool shift = false);
  // Delete: the selection, or the code point (or cluster) after the caret.
  // Shift+Delete cuts the selection into the clipboard; without a selection
  // it takes the character before the caret.
  void deleteForward(bool shift = false, std::u16string* clipboard = nullptr);
  void home() { moveTo(0); }
  void end() { moveTo(text_.size()); }
  // The user clicks at a place in the text.
  void moveTo(std::size_t at);

  const std::u16string& text() const { return text_; }
  std::size_t caret() const { return caret_; }
  bool hasSelection() const { return anchor_ != caret_; }
  // The caret's line (from 0) and the units before it on that line.
  std::size_t caretLine() const;
  std::size_t caretColumn() const;

 private:
  std::size_t previousCodePoint(std::size_t at) const;
  std::size_t nextCodePoint(std::size_t at) const;
  char32_t codePointAt(std::size_t at) const;
  bool isMarkAt(std::size_t at) const;
  // Removes the selection; the caret goes to where it began.
  std::u16string eraseSelection();
  // The text is about to change from at on: the lines counted before it
  // still hold.
  void changedFrom(std::size_t at);
  void countLines() const;

  ClusterMarkTest marks_;
  std::u16string text_;
  std::size_t caret_ = 0;
  std::size_t anchor_ = 0;  // the other end of the selection; the caret when there is none
  // The lines before lineCacheAt_, counted once: typing at the end of a long
  // text then counts only what it added.
  mutable std::size_t lineCacheAt_ = 0;
  mutable std::size_t linesBefore_ = 0;
  mutable std::size_t lineStart_ = 0;  // where the line of lineCacheAt_ begins
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
  // A window of the program's own process (a message box, say).
  void setOwnProcess(WindowHandle window, bool own);
  void close(WindowHandle window);
  // The executable file name of the window's program.
  void setProgram(WindowHandle window, std::u16string program);
  // The window shows itself over its whole monitor, without a caption.
  void setCoversMonitor(WindowHandle window, bool covers);
  // Another text field in the window, of that class and style, which takes
  // the window's focus (the user tabs into it); its handle.
  WindowHandle addControl(WindowHandle window, std::u16string className, std::uint32_t style);
  // The focus moves to a control of the window, or to the window's own
  // field (control: the window itself).
  void focusControl(WindowHandle window, WindowHandle control);
  // The handle of the control with the window's focus.
  WindowHandle focusedControl(WindowHandle window);
  // The controls added to a window, in order.
  std::vector<WindowHandle> controls(WindowHandle window);
  // The text of a control (or of a window's own field).
  const std::u16string& controlText(WindowHandle control);
  // Every program with a window, each once, in the order first opened.
  std::vector<std::u16string> programNames();

  // The field with the window's focus: its own, or a control's.
  TextField& field(WindowHandle window);
  const std::u16string& text(WindowHandle window) { return field(window).text(); }

  // A key event that reached the foreground window's application, with the
  // modifiers Windows holds: what its text field makes of it.
  void deliver(std::uint16_t vk, bool down, char16_t character, bool shift);
  // A key the user typed, without modifiers.
  void userKey(std::uint16_t vk, char16_t character) { deliver(vk, true, character, false); }

  // The clipboard's text.
  std::u16string clipboard;
  // While set, SendInput inserts nothing, as when another program blocks input.
  bool inputBlocked = false;
  // What SHQueryUserNotificationState reports: a full-screen Direct3D
  // program or presentation mode.
  bool shellFullScreen = false;
  // Called for every injected record, before it is applied.
  std::function<void(const KeyboardInput&)> onInjected;

  // Records applied in order; the Shift presses among them count as held
  // for the keys after them.
  unsigned sendInput(std::span<const KeyboardInput> records) override;
  std::u16string className(WindowHandle window) override;
  void readClassName(WindowHandle window, std::u16string& into) override;
  WindowHandle foregroundWindow() override { return foreground_; }
  bool windowExists(WindowHandle window) override { return windows_.contains(window); }
  bool acceptsInjectedInput(WindowHandle window) override;
  bool isOwnProcessWindow(WindowHandle window) override;
  // The focus is the window's own field or the control it was moved to; the
  // caret is 8 units wide a character and 16 high a line.
  std::optional<FocusPlace> focusPlace(WindowHandle window) override;
  std::u16string programName(WindowHandle window) override;
  bool isPasswordField(WindowHandle control) override;
  bool shellReportsFullScreen() override { return shellFullScreen; }
  bool coversItsMonitor(WindowHandle window) override;

 private:
  struct Control {
    WindowHandle handle = kNoWindow;
    std::u16string className;
    std::uint32_t style = 0;
    TextField field;
  };
  struct Window {
    std::u16string className;
    TextField field;
    bool elevated = false;
    bool ownProcess = false;
    std::u16string program;
    bool coversMonitor = false;
    std::vector<Control> controls;
    WindowHandle focused = kNoWindow;  // a control's handle; none: the window's own field
  };
  Window& window(WindowHandle handle);
  // The window a control belongs to, and the control (none: the window's own field).
  std::pair<Window*, Control*> findControl(WindowHandle control);

  std::map<WindowHandle, Window> windows_;
  WindowHandle foreground_ = kNoWindow;
  WindowHandle nextHandle_ = 0x10010;
  bool injectedShift_ = false;  // Shift as the records sent so far left it
};

}  // namespace korimo::platform::sim
