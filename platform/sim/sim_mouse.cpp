// The simulated mouse and screen, and the reports of mouse events to the
// mouse-hook library.

#include <algorithm>

#include "platform/sim/sim_hooks.h"

namespace korimo::platform::sim {
namespace {

constexpr std::uint32_t kHtClient = 1;

}  // namespace

// ---------------------------------------------------------------- mouse

bool SimHookPlatform::mouseReport(std::uint32_t message, std::int32_t x, std::int32_t y,
                                  std::uintptr_t extra) {
  MouseHookRecord record;
  record.x = x;
  record.y = y;
  record.window = windowUnderPointer;
  record.hitTestCode = kHtClient;
  record.extraInfo = extra;
  bool withheld = false;
  clock_ += kEventSpacingMs;
  MouseHookState& h = mouseHook_;
  if (h.installed) {
    h.frames.push_back(&record);
    reportAnswers.push_back(sendMessage(h.window, h.message, message, 0));
    h.frames.pop_back();
  }
  // Raw input sees every press and wheel turn of a mouse device.
  const bool click = message == kWmLButtonDown || message == kWmRButtonDown ||
                     message == kWmMButtonDown || message == kWmMouseWheel;
  if (click && extra == 0 && rawMouseWindow_ != kNoWindow) {
    rawClick_ = true;
    sendMessage(rawMouseWindow_, kWmInput, 0, 1);
    rawClick_ = false;
  }
  if (h.installed) {
    const MouseHookFilters& f = h.filters;
    switch (message) {
      case kWmLButtonDown:
      case kWmLButtonUp:
      case kWmLButtonDblClk: withheld = f.BlockLeftButton || f.DisableMouse; break;
      case kWmRButtonDown:
      case kWmRButtonUp:
      case kWmRButtonDblClk: withheld = f.BlockRightButton || f.DisableMouse; break;
      case kWmMButtonDown:
      case kWmMButtonUp:
      case kWmMButtonDblClk: withheld = f.BlockMiddleButton || f.DisableMouse; break;
      case kWmMouseWheel:
      case kWmMouseHWheel: withheld = f.BlockWheel || f.DisableMouse; break;
      case kWmMouseMove:
        // The user's moves must not undo parking or inverting; the
        // component's own moves always pass.
        withheld = extra != 1 && (f.DisableMouse || f.HidePointer || f.InvertPointer);
        break;
      default: break;
    }
  }
  if (withheld) return false;
  if (message == kWmMouseMove) {
    cursorX = std::clamp(x, 0, width - 1);
    cursorY = std::clamp(y, 0, height - 1);
  }
  deliveredMouse.push_back(DeliveredMouse{message, x, y, extra});
  return true;
}

bool SimHookPlatform::registerRawMouse(WindowHandle window) {
  rawMouseWindow_ = window;
  return true;
}

void SimHookPlatform::moveMouse(std::int32_t x, std::int32_t y) {
  mouseReport(kWmMouseMove, x, y, 0);
}

void SimHookPlatform::mouseButton(std::uint32_t message) {
  std::uint32_t m = message;
  if (buttonsSwapped) {
    if (m >= kWmLButtonDown && m <= kWmLButtonDblClk)
      m += 3;
    else if (m >= kWmRButtonDown && m <= kWmRButtonDblClk)
      m -= 3;
  }
  mouseReport(m, cursorX, cursorY, 0);
}

bool SimHookPlatform::cursorPos(std::int32_t& x, std::int32_t& y) {
  x = cursorX;
  y = cursorY;
  return true;
}

void SimHookPlatform::mouseEvent(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy,
                                 std::uint32_t data, std::uintptr_t extraInfo) {
  mouseEventCalls.push_back(MouseEventCall{flags, dx, dy, data, extraInfo});
  if (!(flags & kMouseEventMove)) return;
  std::int32_t x = cursorX + static_cast<std::int32_t>(dx);
  std::int32_t y = cursorY + static_cast<std::int32_t>(dy);
  if (flags & kMouseEventAbsolute) {
    // Normalized 0..65535 onto the pixels, the way the system maps them.
    x = static_cast<std::int32_t>((std::int64_t(dx) * width) >> 16);
    y = static_cast<std::int32_t>((std::int64_t(dy) * height) >> 16);
  }
  // Synthetic input runs through the hook like any other, nested in this call.
  mouseReport(kWmMouseMove, x, y, extraInfo);
}

int SimHookPlatform::showCursor(bool show) {
  showCursorCalls.push_back(show);
  cursorDisplayCount += show ? 1 : -1;
  return cursorDisplayCount;
}

bool SimHookPlatform::swapMouseButton(bool swap) {
  swapCalls.push_back(swap);
  bool was = buttonsSwapped;
  buttonsSwapped = swap;
  return was;
}

}  // namespace korimo::platform::sim
