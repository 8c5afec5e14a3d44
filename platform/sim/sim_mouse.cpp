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
        // library's own moves (extra information 1) always pass.
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
  mouseReport(message, cursorX, cursorY, 0);
}

}  // namespace korimo::platform::sim
