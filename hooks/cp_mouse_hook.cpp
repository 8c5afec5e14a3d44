#include "hooks/cp_mouse_hook.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>
#include <string>

namespace korimo::hooks {
namespace {

namespace mh = platform::mousehook;

constexpr std::uint16_t kFarCorner = 65535;

// Rounded to the nearest integer, ties to even (the default rounding mode).
double rnd(double v) { return std::nearbyint(v); }

// A normalized coordinate: rounded and held within 0..65535, so a position
// off the primary screen cannot wrap around.
std::uint16_t normalized(double v) {
  return static_cast<std::uint16_t>(std::clamp(rnd(v), 0.0, 65535.0));
}

double mickeys(int pixels) { return 65535.0 / static_cast<double>(std::max(pixels, 1)); }

}  // namespace

TCPMouseHook::TCPMouseHook(platform::HookPlatform& platform)
    : platform_(platform), library_(platform) {
  window_ = platform_.createMessageWindow(
      [this](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
        return HookWindowProc(message, wParam, lParam);
      });
  FWindowHandle = window_ ? window_->handle() : platform::kNoWindow;
}

TCPMouseHook::~TCPMouseHook() {
  if (FHookLibLoaded && FEnabled) {
    try {
      exports_.Stop();
    } catch (...) {
      // The library is released below whatever its stop did.
    }
  }
  FEnabled = false;
  UnloadHookLibrary();
  window_.reset();
}

void TCPMouseHook::SetHidePointer(bool value) {
  if (value == FHookFilters.HidePointer) return;
  FHookFilters.HidePointer = value;
  platform_.showCursor(!value);
}

void TCPMouseHook::SetSwapButtons(bool value) {
  if (value == FHookFilters.SwapButtons) return;
  FHookFilters.SwapButtons = value;
  platform_.swapMouseButton(value);
}

double TCPMouseHook::ScreenMickeyX() { return mickeys(platform_.screenWidth()); }
double TCPMouseHook::ScreenMickeyY() { return mickeys(platform_.screenHeight()); }

bool TCPMouseHook::LoadHookLibrary() {
  if (FHookLibLoaded) return false;
  platform::HookLibrary* library = library_.load(mh::kLibraryName);
  if (!library) return false;
  library->resolve(exports_);
  if (!exports_.complete()) {
    UnloadHookLibrary();
    return false;
  }
  FHookLibLoaded = true;
  return true;
}

bool TCPMouseHook::UnloadHookLibrary() {
  if (!library_.release()) return false;
  exports_ = mh::Exports{};
  FHookLibLoaded = false;
  return true;
}

bool TCPMouseHook::Start_MouseHook() {
  if (FEnabled) return false;
  if (!LoadHookLibrary()) return false;
  bool started = exports_.Start(FWindowHandle, FUserHookMsg, FHookFilters);
  if (started) {
    FEnabled = true;
    // Raw input watches over the hook: see watchRawClick.
    if (!rawInputRegistered_) rawInputRegistered_ = platform_.registerRawMouse(FWindowHandle);
    lastReportTick_ = platform_.tickCount();
    std::int32_t x = 0;
    std::int32_t y = 0;
    platform_.cursorPos(x, y);
    lastNormX_ = normalized(ScreenMickeyX() * x);
    lastNormY_ = normalized(ScreenMickeyY() * y);
  }
  return started;
}

bool TCPMouseHook::Stop_MouseHook() {
  bool result = false;
  try {
    if (FEnabled) {
      FEnabled = false;
      result = exports_.Stop();
    }
  } catch (...) {
    UnloadHookLibrary();
    throw;
  }
  FEnabled = false;
  UnloadHookLibrary();
  return result;
}

bool TCPMouseHook::UpdateHook() {
  if (!FEnabled) return false;
  return exports_.UpdateHook(FHookFilters);
}

std::intptr_t TCPMouseHook::HookWindowProc(std::uint32_t message, std::uintptr_t wParam,
                                           std::intptr_t lParam) {
  if (message != FUserHookMsg) {
    if (message == platform::kWmInput) watchRawClick(lParam);
    return platform_.defWindowProc(FWindowHandle, message, wParam, lParam);
  }
  lastReportTick_ = platform_.tickCount();
  std::intptr_t answer = 1;
  HookLibraryHandle::ReportScope report(library_);
  try {
    DecodeMouseMessage(wParam, answer);
  } catch (const std::exception& e) {
    platform_.reportError(e.what());
  } catch (...) {
    platform_.reportError("unknown error in the mouse handler");
  }
  return answer;
}

// Windows removes a low-level hook that keeps it waiting too long, without
// telling anyone; clicks then stop ending the syllable being typed, and its
// next key would take back characters wherever the caret went. Raw input
// still sees every click of a mouse: one that arrives while the hook has
// reported nothing for a while means the hook is gone, and it is installed
// again. (Every report, moves included, refreshes the time, and a click's
// report comes before its raw input.)
void TCPMouseHook::watchRawClick(std::intptr_t lParam) {
  if (!FEnabled || !platform_.rawMouseClick(lParam)) return;
  constexpr std::uint32_t kSlackMs = 250;
  if (platform_.tickCount() - lastReportTick_ <= kSlackMs) return;
  exports_.Stop();  // the library's record of the removed hook
  FEnabled = exports_.Start(FWindowHandle, FUserHookMsg, FHookFilters);
  lastReportTick_ = platform_.tickCount();
  ++hookReinstalls_;
  if (FOnHookLost) FOnHookLost(*this, FEnabled);
}

void TCPMouseHook::DecodeMouseMessage(std::uintptr_t wParam, std::intptr_t& answer) {
  const platform::MouseHookRecord* record = exports_.GetData ? exports_.GetData() : nullptr;
  if (record == nullptr) throw std::runtime_error("the mouse hook library gave no event record");
  const double mx = ScreenMickeyX();
  const double my = ScreenMickeyY();
  std::uint16_t nx = normalized(record->x * mx);
  std::uint16_t ny = normalized(record->y * my);

  // The record of this call; a nested report gets its own.
  TMouseStates states;
  states.x = record->x;
  states.y = record->y;
  states.dx = nx;
  states.dy = ny;
  states.Window = record->window;
  states.HitTestCode = record->hitTestCode;
  states.ExtraInfo = static_cast<std::uint32_t>(record->extraInfo);
  states.ButtonInfo = static_cast<std::int32_t>(wParam);

  if (states.ExtraInfo == kOwnMoveExtraInfo) {
    // Our own synthetic move: only remember where the pointer went, kept at
    // least two pixels from the left and top edges.
    answer = 0;
    lastNormX_ = nx;
    lastNormY_ = ny;
    if (lastNormX_ < rnd(mx)) lastNormX_ = normalized(2 * mx);
    if (lastNormY_ < rnd(my)) lastNormY_ = normalized(2 * my);
    return;
  }

  const TMouseHookFilters& f = FHookFilters;
  if (f.HidePointer || f.DisableMouse) {
    if (nx != lastNormX_ || ny != lastNormY_) {
      nx = ny = lastNormX_ = lastNormY_ = kFarCorner;
      platform_.mouseEvent(platform::kMouseEventMove | platform::kMouseEventAbsolute, kFarCorner,
                           kFarCorner, 0, kOwnMoveExtraInfo);
    }
  } else if (f.InvertPointer) {
    const bool cx = nx != lastNormX_;
    const bool cy = ny != lastNormY_;
    if (cx || cy) exports_.InvertPointer(cx, cy, &nx, &lastNormX_, &ny, &lastNormY_, f.WrapPointer);
  } else if (f.WrapPointer) {
    const bool wx = nx == 0 || nx >= rnd((platform_.screenWidth() - 1) * mx);
    const bool wy = ny == 0 || ny >= rnd((platform_.screenHeight() - 1) * my);
    if (wx || wy) exports_.WrapPointer(wx, wy, &nx, &ny);
  }

  lastNormX_ = nx;
  lastNormY_ = ny;
  answer = 1;
  if (FOnMouse) FOnMouse(*this, states);
}

}  // namespace korimo::hooks
