#pragma once
// TCPMouseHook: the mouse counterpart of TCPKeyHook. It loads the mouse-hook
// library "Vantrely.dll", has it install a system-wide mouse hook, receives
// the library's report of every mouse event on a hidden window, decodes it
// into a TMouseStates record and calls OnMouse. It also carries the pointer
// filters: some the library applies, some the component applies itself while
// decoding (parking, inverting, wrapping), and two act on the system at once
// (hiding the pointer, swapping the buttons).

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "hooks/hook_library_handle.h"
#include "platform/hook_platform.h"

namespace korimo::hooks {

using TMouseHookFilters = platform::MouseHookFilters;

struct TMouseStates {
  std::int32_t x = 0;  // pointer position in screen pixels
  std::int32_t y = 0;
  std::uint16_t dx = 0;  // the same in normalized absolute units (0..65535)
  std::uint16_t dy = 0;
  platform::WindowHandle Window = platform::kNoWindow;  // window under the pointer
  std::uint32_t HitTestCode = 0;
  std::uint32_t ExtraInfo = 0;  // 1 marks the component's own synthetic moves
  std::int32_t ButtonInfo =
      0;  // the mouse message of the event (0x0200 move, 0x0201 left down, ...)
};

class TCPMouseHook;

using TMouseHookedEvent =
    std::function<void(TCPMouseHook& Sender, const TMouseStates& AMouseStates)>;
// Told when a click reached the desktop without a report (Windows had
// removed the hook); the hook has been installed again (reinstalled true)
// or could not be (false: no more clicks arrive).
using TMouseHookLostEvent = std::function<void(TCPMouseHook& Sender, bool reinstalled)>;

class TCPMouseHook {
 public:
  static constexpr std::uint32_t kDefaultUserHookMsg = 0x04C8;  // WM_USER + 200
  // The extra information that marks the component's own pointer moves.
  static constexpr std::uintptr_t kOwnMoveExtraInfo = 1;

  explicit TCPMouseHook(platform::HookPlatform& platform);
  ~TCPMouseHook();
  TCPMouseHook(const TCPMouseHook&) = delete;
  TCPMouseHook& operator=(const TCPMouseHook&) = delete;

  bool Start_MouseHook();
  bool Stop_MouseHook();
  bool UpdateHook();

  bool Enabled() const { return FEnabled; }
  bool HookLibLoaded() const { return FHookLibLoaded; }
  platform::WindowHandle WindowHandle() const { return FWindowHandle; }
  std::uint32_t UserHookMsg() const { return FUserHookMsg; }
  void SetUserHookMsg(std::uint32_t value) {
    if (value != FUserHookMsg) FUserHookMsg = value;
  }
  const TMouseHookFilters& HookFilters() const { return FHookFilters; }

  bool DisableMouse() const { return FHookFilters.DisableMouse; }
  void SetDisableMouse(bool value) { setFilter(FHookFilters.DisableMouse, value); }
  bool InvertPointer() const { return FHookFilters.InvertPointer; }
  void SetInvertPointer(bool value) { setFilter(FHookFilters.InvertPointer, value); }
  bool WrapPointer() const { return FHookFilters.WrapPointer; }
  void SetWrapPointer(bool value) { setFilter(FHookFilters.WrapPointer, value); }
  bool BlockLeftButton() const { return FHookFilters.BlockLeftButton; }
  void SetBlockLeftButton(bool value) { setFilter(FHookFilters.BlockLeftButton, value); }
  bool BlockRightButton() const { return FHookFilters.BlockRightButton; }
  void SetBlockRightButton(bool value) { setFilter(FHookFilters.BlockRightButton, value); }
  bool BlockMiddleButton() const { return FHookFilters.BlockMiddleButton; }
  void SetBlockMiddleButton(bool value) { setFilter(FHookFilters.BlockMiddleButton, value); }
  bool BlockWheel() const { return FHookFilters.BlockWheel; }
  void SetBlockWheel(bool value) { setFilter(FHookFilters.BlockWheel, value); }
  bool HidePointer() const { return FHookFilters.HidePointer; }
  void SetHidePointer(bool value);  // ShowCursor at once
  bool SwapButtons() const { return FHookFilters.SwapButtons; }
  void SetSwapButtons(bool value);  // SwapMouseButton at once

  double ScreenMickeyX();  // 65535 / screen width
  double ScreenMickeyY();  // 65535 / screen height

  const TMouseHookedEvent& OnMouse() const { return FOnMouse; }
  void SetOnMouse(TMouseHookedEvent handler) { FOnMouse = std::move(handler); }
  void SetOnHookLost(TMouseHookLostEvent handler) { FOnHookLost = std::move(handler); }
  // How often the hook was found removed and installed again.
  int hookReinstalls() const { return hookReinstalls_; }

  // The last pointer position in normalized units.
  std::uint16_t lastNormX() const { return lastNormX_; }
  std::uint16_t lastNormY() const { return lastNormY_; }

 private:
  static void setFilter(bool& field, bool value) {
    if (field != value) field = value;
  }
  bool LoadHookLibrary();
  bool UnloadHookLibrary();
  std::intptr_t HookWindowProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
  void DecodeMouseMessage(std::uintptr_t wParam, std::intptr_t& answer);
  void watchRawClick(std::intptr_t lParam);

  platform::HookPlatform& platform_;
  HookLibraryHandle library_;
  platform::mousehook::Exports exports_;
  std::unique_ptr<platform::MessageWindow> window_;

  bool FHookLibLoaded = false;
  platform::WindowHandle FWindowHandle = platform::kNoWindow;
  std::uint32_t FUserHookMsg = kDefaultUserHookMsg;
  bool FEnabled = false;
  TMouseHookFilters FHookFilters{};
  TMouseHookedEvent FOnMouse;
  TMouseHookLostEvent FOnHookLost;
  bool rawInputRegistered_ = false;
  std::uint32_t lastReportTick_ = 0;
  int hookReinstalls_ = 0;
  std::uint16_t lastNormX_ = 0;
  std::uint16_t lastNormY_ = 0;
};

}  // namespace korimo::hooks
