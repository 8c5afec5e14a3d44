// The simulated hook libraries and the hidden windows that receive their
// reports.

#include <algorithm>
#include <type_traits>

#include "platform/sim/sim_hooks.h"

namespace korimo::platform::sim {
namespace {

std::u16string fileNameOf(std::u16string_view path) {
  auto slash = path.find_last_of(u"\\/");
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

// The arguments of an export call as the call record shows them.
void appendArgument(std::string& line, bool value) { line += value ? " 1" : " 0"; }
void appendArgument(std::string& line, std::uint16_t* value) {
  line += " " + std::to_string(*value);
}
void appendArgument(std::string&, MouseHookFilters) {}
template <class T>
void appendArgument(std::string& line, T value) {
  line += " " + std::to_string(value);
}

// Makes every call of the entry leave a line in the record first; the data
// getters, called on every report, are left out.
template <class R, class... Args>
void recordCalls(Export<R(Args...)>& entry, std::vector<std::string>& record) {
  if constexpr (sizeof...(Args) > 0 || !std::is_pointer_v<R>) {
    entry.call = [call = std::move(entry.call), name = entry.name, &record](Args... args) -> R {
      std::string line = name;
      (appendArgument(line, args), ...);
      record.push_back(std::move(line));
      return call(args...);
    };
  }
}

}  // namespace

// ---------------------------------------------------------------- windows

class SimHookPlatform::Window : public MessageWindow {
 public:
  Window(SimHookPlatform& owner, WindowHandle handle) : owner_(owner), handle_(handle) {}
  ~Window() override {
    // The procedure goes back to the default one before the window goes.
    owner_.windows_[handle_] = nullptr;
    owner_.windows_.erase(handle_);
  }
  WindowHandle handle() const override { return handle_; }

 private:
  SimHookPlatform& owner_;
  WindowHandle handle_;
};

std::unique_ptr<MessageWindow> SimHookPlatform::createMessageWindow(MessageProc proc) {
  WindowHandle handle = nextWindow_;
  nextWindow_ += 0x10;
  windows_[handle] = std::move(proc);
  return std::make_unique<Window>(*this, handle);
}

std::intptr_t SimHookPlatform::sendMessage(WindowHandle window, std::uint32_t message,
                                           std::uintptr_t wParam, std::intptr_t lParam) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return 0;
  if (!it->second) return defWindowProc(window, message, wParam, lParam);
  MessageProc proc = it->second;  // the window may go while its procedure runs
  return proc(message, wParam, lParam);
}

std::intptr_t SimHookPlatform::defWindowProc(WindowHandle, std::uint32_t message, std::uintptr_t,
                                             std::intptr_t) {
  defaultProcMessages.push_back(message);
  return defaultAnswer;
}

std::uint32_t SimHookPlatform::registerWindowMessage(std::u16string_view name) {
  auto [it, added] = registered_.emplace(std::u16string(name),
                                         0xC000 + static_cast<std::uint32_t>(registered_.size()));
  return it->second;
}

// ---------------------------------------------------------------- libraries

class SimHookPlatform::Library : public HookLibrary {
 public:
  Library(SimHookPlatform& owner, bool keyboard) : owner_(owner), keyboard_(keyboard) {}
  ~Library() override { owner_.libraryReleased(keyboard_); }
  void resolve(keyhook::Exports& exports) override {
    exports = keyboard_ ? owner_.keyExports() : keyhook::Exports{};
    finish(exports);
  }
  void resolve(mousehook::Exports& exports) override {
    exports = keyboard_ ? mousehook::Exports{} : owner_.mouseExports();
    finish(exports);
  }

 private:
  template <class Table>
  void finish(Table& exports) {
    exports.forEach([this](auto& entry) {
      recordCalls(entry, owner_.exportCalls);
      if (owner_.missingExports.contains(entry.name)) entry.call = nullptr;
    });
  }

  SimHookPlatform& owner_;
  bool keyboard_;
};

SimHookPlatform::SimHookPlatform() {
  libraryFiles.insert(exeFolder + u"\\" + keyhook::kLibraryName);
  libraryFiles.insert(exeFolder + u"\\" + mousehook::kLibraryName);
}

SimHookPlatform::~SimHookPlatform() = default;

void SimHookPlatform::removeLibrary(std::u16string_view fileName) {
  std::erase_if(libraryFiles, [&](const std::u16string& p) { return fileNameOf(p) == fileName; });
}

std::unique_ptr<HookLibrary> SimHookPlatform::loadLibrary(std::u16string_view fullPath) {
  loadRequests.emplace_back(fullPath);
  if (!libraryFiles.contains(std::u16string(fullPath))) return nullptr;
  std::u16string name = fileNameOf(fullPath);
  bool keyboard = name == keyhook::kLibraryName;
  if (!keyboard && name != mousehook::kLibraryName) return nullptr;
  ++liveLibraries_;
  ++(keyboard ? liveKeyLibraries_ : liveMouseLibraries_);
  return std::make_unique<Library>(*this, keyboard);
}

void SimHookPlatform::libraryReleased(bool keyboard) {
  --liveLibraries_;
  int& live = keyboard ? liveKeyLibraries_ : liveMouseLibraries_;
  // The last release unloads the library and its hook with it.
  if (--live == 0) {
    if (keyboard)
      keyHook_ = KeyHookState{};
    else
      mouseHook_ = MouseHookState{};
  }
}

keyhook::Exports SimHookPlatform::keyExports() {
  KeyHookState& h = keyHook_;
  auto start = [this, &h](bool lowLevel) {
    if (refuseStart || h.installed) return false;
    h.installed = true;
    h.lowLevel = lowLevel;
    return true;
  };
  keyhook::Exports e;
  e.Start.call = ([&h, start](WindowHandle w, std::uint32_t m, bool d) {
    if (!start(false)) return false;
    h.window = w, h.message = m, h.disable = d, h.injected = false;
    return true;
  });
  e.Stop.call = ([&h] {
    bool was = h.installed && !h.lowLevel;
    if (was) h.installed = false;
    return was;
  });
  e.UpdateHook.call = ([&h](bool d) {
    if (!h.installed) return false;
    h.disable = d;
    return true;
  });
  e.StartLL.call = ([&h, start](WindowHandle w, std::uint32_t m, bool d, bool i) {
    if (!start(true)) return false;
    h.window = w, h.message = m, h.disable = d, h.injected = i;
    return true;
  });
  e.StopLL.call = ([&h] {
    bool was = h.installed && h.lowLevel;
    if (was) h.installed = false;
    return was;
  });
  e.UpdateHookLL.call = ([&h](bool d, bool i) {
    if (!h.installed) return false;
    h.disable = d, h.injected = i;
    return true;
  });
  e.GetDataLL.call =
      ([&h]() -> const KbDllHookRecord* { return h.frames.empty() ? nullptr : h.frames.back(); });
  return e;
}

mousehook::Exports SimHookPlatform::mouseExports() {
  MouseHookState& h = mouseHook_;
  mousehook::Exports e;
  e.Start.call = ([this, &h](WindowHandle w, std::uint32_t m, MouseHookFilters f) {
    if (refuseStart || h.installed) return false;
    h.installed = true, h.window = w, h.message = m, h.filters = f;
    return true;
  });
  e.Stop.call = ([&h] {
    bool was = h.installed;
    h.installed = false;
    return was;
  });
  e.GetData.call =
      ([&h]() -> const MouseHookRecord* { return h.frames.empty() ? nullptr : h.frames.back(); });
  e.UpdateHook.call = ([&h](MouseHookFilters f) {
    if (!h.installed) return false;
    h.filters = f;
    return true;
  });
  // Inverting: the new position mirrored about the last one.
  e.InvertPointer.call = ([](bool cx, bool cy, std::uint16_t* nx, std::uint16_t* lx,
                             std::uint16_t* ny, std::uint16_t* ly, bool) {
    auto mirror = [](std::uint16_t n, std::uint16_t last) {
      return static_cast<std::uint16_t>(std::clamp(2 * int(last) - int(n), 0, 65535));
    };
    if (cx) *nx = mirror(*nx, *lx);
    if (cy) *ny = mirror(*ny, *ly);
  });
  // Wrapping: an edge position moves to the opposite edge.
  e.WrapPointer.call = ([](bool wx, bool wy, std::uint16_t* nx, std::uint16_t* ny) {
    if (wx) *nx = static_cast<std::uint16_t>(65535 - *nx);
    if (wy) *ny = static_cast<std::uint16_t>(65535 - *ny);
  });
  return e;
}

}  // namespace korimo::platform::sim
