#include "hooks/mouse_hook.h"

#include <exception>
#include <stdexcept>
#include <string>

namespace korimo::hooks {
namespace {

namespace mh = platform::mousehook;

}  // namespace

MouseHook::MouseHook(platform::HookPlatform& platform) : platform_(platform), library_(platform) {
  window_ = platform_.createMessageWindow(
      [this](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
        return windowProc(message, wParam, lParam);
      });
  reportWindow_ = window_ ? window_->handle() : platform::kNoWindow;
}

MouseHook::~MouseHook() {
  if (libraryLoaded_ && running_) {
    try {
      exports_.Stop();
    } catch (...) {
      // The library is released below whatever its stop did.
    }
  }
  running_ = false;
  unloadLibrary();
  window_.reset();
}

bool MouseHook::loadLibrary() {
  if (libraryLoaded_) return false;
  libraryLoaded_ = library_.load(mh::kLibraryName, exports_);
  return libraryLoaded_;
}

bool MouseHook::unloadLibrary() {
  libraryLoaded_ = false;
  return library_.release(exports_);
}

bool MouseHook::start() {
  if (running_) return false;
  if (!loadLibrary()) return false;
  bool started = exports_.Start(reportWindow_, reportMessage_, filters_);
  if (started) {
    running_ = true;
    // Raw input watches over the hook: see watchRawClick.
    if (!rawInputRegistered_) rawInputRegistered_ = platform_.registerRawMouse(reportWindow_);
    lastReportTick_ = platform_.tickCount();
  }
  return started;
}

bool MouseHook::stop() {
  bool result = false;
  try {
    if (running_) {
      running_ = false;
      result = exports_.Stop();
    }
  } catch (...) {
    unloadLibrary();
    throw;
  }
  running_ = false;
  unloadLibrary();
  return result;
}

std::intptr_t MouseHook::windowProc(std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam) {
  if (message != reportMessage_) {
    if (message == platform::kWmInput) watchRawClick(lParam);
    return platform_.defWindowProc(reportWindow_, message, wParam, lParam);
  }
  lastReportTick_ = platform_.tickCount();
  HookLibraryHandle::ReportScope report(library_);
  try {
    decodeMouseMessage(wParam);
  } catch (const std::exception& e) {
    platform_.reportError(e.what());
  } catch (...) {
    platform_.reportError("unknown error in the mouse handler");
  }
  return 1;
}

// Windows removes a low-level hook that keeps it waiting too long, without
// telling anyone; clicks then stop ending the syllable being typed, and its
// next key would take back characters wherever the caret went. Raw input
// still sees every click of a mouse: one that arrives while the hook has
// reported nothing for a while means the hook is gone, and it is installed
// again. (Every report, moves included, refreshes the time, and a click's
// report comes before its raw input.)
void MouseHook::watchRawClick(std::intptr_t lParam) {
  if (!running_ || !platform_.rawMouseClick(lParam)) return;
  constexpr std::uint32_t kSlackMs = 250;
  if (platform_.tickCount() - lastReportTick_ <= kSlackMs) return;
  exports_.Stop();  // the library's record of the removed hook
  running_ = exports_.Start(reportWindow_, reportMessage_, filters_);
  lastReportTick_ = platform_.tickCount();
  ++hookReinstalls_;
  if (hookLostHandler_) hookLostHandler_(*this, running_);
}

void MouseHook::decodeMouseMessage(std::uintptr_t wParam) {
  const platform::MouseHookRecord* record = exports_.GetData ? exports_.GetData() : nullptr;
  if (record == nullptr) throw std::runtime_error("the mouse hook library gave no event record");
  // The record of this call; a nested report gets its own.
  MouseReport report;
  report.window = record->window;
  report.message = static_cast<std::uint32_t>(wParam);
  if (mouseHandler_) mouseHandler_(*this, report);
}

}  // namespace korimo::hooks
