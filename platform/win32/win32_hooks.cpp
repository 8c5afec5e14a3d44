#include "platform/win32/win32_hooks.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/win32/win32_hook_exports.h"

namespace korimo::platform::win32 {
namespace {

namespace ex = exports;

constexpr wchar_t kWindowClass[] = L"VantrelKorimoHookWindow";

const wchar_t* wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
HWND toHwnd(WindowHandle w) { return reinterpret_cast<HWND>(w); }
WindowHandle fromHwnd(HWND w) { return reinterpret_cast<WindowHandle>(w); }

template <class T>
T as(FARPROC proc) {
  return reinterpret_cast<T>(reinterpret_cast<void (*)()>(proc));
}

bool isFullPath(std::u16string_view path) {
  if (path.size() >= 3 && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/')) return true;
  return path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\';
}

// Looks up one export and makes its call convert the program's values to the
// C ones and back; left empty when the library lacks it.
template <class R, class... Args>
void bind(HMODULE module, Export<R(Args...)>& entry) {
  FARPROC proc = ::GetProcAddress(module, entry.name);
  if (!proc) {
    entry.call = nullptr;
    return;
  }
  auto function = as<ex::CSignature<Export<R(Args...)>>>(proc);
  entry.call = [function](Args... args) -> R {
    if constexpr (std::is_void_v<R>)
      function(ex::toC(args)...);
    else
      return ex::fromC<R>(function(ex::toC(args)...));
  };
}

class Win32Library : public HookLibrary {
 public:
  explicit Win32Library(HMODULE module) : module_(module) {}
  ~Win32Library() override { ::FreeLibrary(module_); }
  Win32Library(const Win32Library&) = delete;
  Win32Library& operator=(const Win32Library&) = delete;

  void resolve(keyhook::Exports& exports) override {
    exports.forEach([this](auto& entry) { bind(module_, entry); });
  }
  void resolve(mousehook::Exports& exports) override {
    exports.forEach([this](auto& entry) { bind(module_, entry); });
  }

 private:
  HMODULE module_;
};

class Win32MessageWindow : public MessageWindow {
 public:
  explicit Win32MessageWindow(MessageProc proc) : proc_(std::move(proc)) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Win32MessageWindow::windowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    ::RegisterClassExW(&wc);  // already registered by an earlier window: fine
    hwnd_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                              this);
  }
  ~Win32MessageWindow() override {
    if (!hwnd_) return;
    // Back to the default procedure first, so nothing reaches this object
    // while the window is destroyed.
    ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&::DefWindowProcW));
    ::DestroyWindow(hwnd_);
  }
  Win32MessageWindow(const Win32MessageWindow&) = delete;
  Win32MessageWindow& operator=(const Win32MessageWindow&) = delete;

  WindowHandle handle() const override { return fromHwnd(hwnd_); }

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32MessageWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->hwnd_ == hwnd && self->proc_) return self->proc_(message, wParam, lParam);
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }

  MessageProc proc_;
  HWND hwnd_ = nullptr;
};

}  // namespace

constexpr UINT kShowErrors = WM_APP + 1;

Win32HookPlatform::Win32HookPlatform() {
  errorWindow_ = createMessageWindow(
      [this](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) -> std::intptr_t {
        if (message == kShowErrors) {
          showErrors();
          return 0;
        }
        return ::DefWindowProcW(toHwnd(errorWindow_->handle()), message, wParam, lParam);
      });
}

Win32HookPlatform::~Win32HookPlatform() = default;

std::u16string Win32HookPlatform::executableFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      std::u16string path(reinterpret_cast<const char16_t*>(buffer.data()), n);
      auto slash = path.find_last_of(u"\\/");
      return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::unique_ptr<HookLibrary> Win32HookPlatform::loadLibrary(std::u16string_view fullPath) {
  if (!isFullPath(fullPath)) return nullptr;
  std::u16string path(fullPath);
  // The library's own imports come from its folder and the system folder.
  HMODULE module = ::LoadLibraryExW(
      wide(path), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) return nullptr;
  return std::make_unique<Win32Library>(module);
}

std::unique_ptr<MessageWindow> Win32HookPlatform::createMessageWindow(MessageProc proc) {
  return std::make_unique<Win32MessageWindow>(std::move(proc));
}

std::intptr_t Win32HookPlatform::defWindowProc(WindowHandle window, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t lParam) {
  return ::DefWindowProcW(toHwnd(window), message, wParam, lParam);
}

std::uint32_t Win32HookPlatform::registerWindowMessage(std::u16string_view name) {
  return ::RegisterWindowMessageW(wide(std::u16string(name)));
}

void Win32HookPlatform::reportError(std::string_view message) {
  errors_.emplace_back(message);
  // Shown once the report in hand has been answered.
  ::PostMessageW(toHwnd(errorWindow_->handle()), kShowErrors, 0, 0);
}

void Win32HookPlatform::showErrors() {
  // The box runs its own message loop, in which further reports arrive;
  // errors of those wait for it instead of stacking up in more boxes.
  if (reporting_) return;
  reporting_ = true;
  while (!errors_.empty()) {
    const std::string message = std::move(errors_.front());
    errors_.erase(errors_.begin());
    if (errorReport_) {
      errorReport_(message);
      continue;
    }
    std::wstring text(message.size(), L'\0');
    int n = ::MultiByteToWideChar(CP_UTF8, 0, message.data(), static_cast<int>(message.size()),
                                  text.data(), static_cast<int>(text.size()));
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    ::MessageBoxW(nullptr, text.c_str(), L"Vantrel Korimo", MB_OK | MB_ICONERROR);
  }
  reporting_ = false;
}

// Only whether the key is held (bit 15), as the simulated keyboard reports
// it. The low bit, "pressed since the previous call", outlives the press: a
// click long released would still read as a held button on the next query.
std::int16_t Win32HookPlatform::asyncKeyState(int vk) {
  return static_cast<std::int16_t>(::GetAsyncKeyState(vk) & 0x8000);
}
std::int16_t Win32HookPlatform::keyState(int vk) { return ::GetKeyState(vk); }

std::uint32_t Win32HookPlatform::mapVirtualKeyEx(std::uint32_t code, std::uint32_t mapType,
                                                 LayoutHandle layout) {
  return ::MapVirtualKeyExW(code, mapType, reinterpret_cast<HKL>(layout));
}

int Win32HookPlatform::toUnicodeEx(std::uint32_t vk, std::uint32_t scan, const KeyboardState& state,
                                   char16_t* buffer, int size, std::uint32_t flags,
                                   LayoutHandle layout) {
  return ::ToUnicodeEx(vk, scan, state.data(), reinterpret_cast<LPWSTR>(buffer), size, flags,
                       reinterpret_cast<HKL>(layout));
}

LayoutHandle Win32HookPlatform::keyboardLayout() {
  return reinterpret_cast<LayoutHandle>(::GetKeyboardLayout(0));
}

std::u16string Win32HookPlatform::keyboardLayoutName() {
  wchar_t name[KL_NAMELENGTH] = {};
  if (!::GetKeyboardLayoutNameW(name)) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(name));
}

namespace {

// A device of the generic desktop controls (usage 2 mouse, 6 keyboard) sends
// its raw input to window, also while the program is in the background.
bool registerRawDevice(USHORT usage, HWND window) {
  RAWINPUTDEVICE device{};
  device.usUsagePage = 0x01;
  device.usUsage = usage;
  device.dwFlags = RIDEV_INPUTSINK;
  device.hwndTarget = window;
  return ::RegisterRawInputDevices(&device, 1, sizeof device) != FALSE;
}

}  // namespace

bool Win32HookPlatform::registerRawKeyboard(WindowHandle window) {
  return registerRawDevice(0x06, toHwnd(window));
}

bool Win32HookPlatform::registerRawMouse(WindowHandle window) {
  return registerRawDevice(0x02, toHwnd(window));
}

bool Win32HookPlatform::rawMouseClick(std::intptr_t lParam) {
  RAWINPUT input{};
  UINT size = sizeof input;
  if (::GetRawInputData(reinterpret_cast<HRAWINPUT>(lParam), RID_INPUT, &input, &size,
                        sizeof(RAWINPUTHEADER)) == static_cast<UINT>(-1))
    return false;
  // Injected input has no device.
  if (input.header.dwType != RIM_TYPEMOUSE || input.header.hDevice == nullptr) return false;
  constexpr USHORT kPresses = RI_MOUSE_LEFT_BUTTON_DOWN | RI_MOUSE_RIGHT_BUTTON_DOWN |
                              RI_MOUSE_MIDDLE_BUTTON_DOWN | RI_MOUSE_WHEEL;
  return (input.data.mouse.usButtonFlags & kPresses) != 0;
}

std::uint32_t Win32HookPlatform::tickCount() { return ::GetTickCount(); }

std::optional<RawKey> Win32HookPlatform::rawKeyboardInput(std::intptr_t lParam) {
  RAWINPUT input{};
  UINT size = sizeof input;
  if (::GetRawInputData(reinterpret_cast<HRAWINPUT>(lParam), RID_INPUT, &input, &size,
                        sizeof(RAWINPUTHEADER)) == static_cast<UINT>(-1))
    return std::nullopt;
  // Injected input has no device.
  if (input.header.dwType != RIM_TYPEKEYBOARD || input.header.hDevice == nullptr)
    return std::nullopt;
  const RAWKEYBOARD& key = input.data.keyboard;
  return RawKey{key.VKey, (key.Flags & RI_KEY_BREAK) == 0,
                static_cast<std::uint32_t>(::GetMessageTime())};
}

}  // namespace korimo::platform::win32
