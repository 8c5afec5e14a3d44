#include "platform/win32/win32_shell.h"

#include <windows.h>
// shellapi.h needs the declarations of windows.h first.
#include <shellapi.h>
// commdlg.h and objbase.h too.
#include <commdlg.h>
#include <objbase.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <vector>

#include "platform/win32/win32_desktop.h"

namespace korimo::platform::win32 {
namespace {

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::u16string narrow16(const wchar_t* text, std::size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}
HKEY root(Hive hive) { return hive == Hive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

// An opened registry key, closed on scope exit.
class OpenKey {
 public:
  OpenKey(Hive hive, std::u16string_view key, REGSAM access = KEY_READ) {
    if (RegOpenKeyExW(root(hive), wide(key).c_str(), 0, access, &key_) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  // Opens the key for setting values, creating it (and the keys above it)
  // when it is missing.
  static OpenKey created(Hive hive, std::u16string_view key) {
    OpenKey opened;
    if (RegCreateKeyExW(root(hive), wide(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &opened.key_, nullptr) != ERROR_SUCCESS)
      opened.key_ = nullptr;
    return opened;
  }
  OpenKey(OpenKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
  ~OpenKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  OpenKey& operator=(OpenKey&&) = delete;
  HKEY get() const { return key_; }

 private:
  OpenKey() = default;
  HKEY key_ = nullptr;
};

}  // namespace

std::optional<RegistryValue> Win32Shell::readRegistry(Hive hive, std::u16string_view key,
                                                      std::u16string_view name) {
  OpenKey opened(hive, key);
  if (!opened.get()) return std::nullopt;
  std::wstring valueName = wide(name);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(opened.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  std::vector<BYTE> data(size + sizeof(wchar_t), 0);
  if (RegQueryValueExW(opened.get(), valueName.c_str(), nullptr, &type, data.data(), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  RegistryValue value;
  if (type == REG_DWORD && size >= sizeof(DWORD)) {
    value.type = RegistryValue::Type::Dword;
    value.number = *reinterpret_cast<const DWORD*>(data.data());
  } else {
    value.type = RegistryValue::Type::String;
    const auto* text = reinterpret_cast<const wchar_t*>(data.data());
    std::size_t length = size / sizeof(wchar_t);
    while (length > 0 && text[length - 1] == L'\0') --length;
    value.text = narrow16(text, length);
  }
  return value;
}

bool Win32Shell::registryKeyExists(Hive hive, std::u16string_view key) {
  return OpenKey(hive, key).get() != nullptr;
}

std::vector<std::u16string> Win32Shell::registrySubkeys(Hive hive, std::u16string_view key) {
  std::vector<std::u16string> names;
  OpenKey opened(hive, key, KEY_ENUMERATE_SUB_KEYS);
  if (!opened.get()) return names;
  wchar_t name[256];  // a key name has at most 255 characters
  for (DWORD index = 0;; ++index) {
    DWORD length = std::size(name);
    LONG result =
        RegEnumKeyExW(opened.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result == ERROR_SUCCESS)
      names.push_back(narrow16(name, length));
    else if (result != ERROR_MORE_DATA)
      break;
  }
  return names;
}

bool Win32Shell::writeRegistry(Hive hive, std::u16string_view key, std::u16string_view name,
                               const RegistryValue& value) {
  OpenKey opened = OpenKey::created(hive, key);
  if (!opened.get()) return false;
  std::wstring valueName = wide(name);
  if (value.type == RegistryValue::Type::Dword) {
    DWORD number = value.number;
    return RegSetValueExW(opened.get(), valueName.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&number), sizeof number) == ERROR_SUCCESS;
  }
  std::wstring text = wide(value.text);
  return RegSetValueExW(opened.get(), valueName.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool Win32Shell::deleteRegistryValue(Hive hive, std::u16string_view key, std::u16string_view name) {
  OpenKey opened(hive, key, KEY_SET_VALUE);
  if (!opened.get()) return !registryKeyExists(hive, key);
  LONG result = RegDeleteValueW(opened.get(), wide(name).c_str());
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

std::uintptr_t Win32Shell::loadKeyboardLayout(std::u16string_view id, std::uint32_t flags) {
  return reinterpret_cast<std::uintptr_t>(LoadKeyboardLayoutW(wide(id).c_str(), flags));
}

std::vector<std::uintptr_t> Win32Shell::keyboardLayoutList() {
  std::vector<std::uintptr_t> list;
  const int count = GetKeyboardLayoutList(0, nullptr);
  if (count <= 0) return list;
  std::vector<HKL> layouts(static_cast<std::size_t>(count));
  const int got = GetKeyboardLayoutList(count, layouts.data());
  for (int i = 0; i < got; ++i) list.push_back(reinterpret_cast<std::uintptr_t>(layouts[i]));
  return list;
}

std::uintptr_t Win32Shell::windowInputLocale(WindowHandle window) {
  const DWORD thread = GetWindowThreadProcessId(reinterpret_cast<HWND>(window), nullptr);
  if (thread == 0) return 0;
  return reinterpret_cast<std::uintptr_t>(GetKeyboardLayout(thread));
}

bool Win32Shell::postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) {
  return PostMessageW(reinterpret_cast<HWND>(window), message, wParam, lParam) != 0;
}

std::optional<VersionInfo> Win32Shell::version() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;  // 276 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info)) return std::nullopt;
#pragma GCC diagnostic pop
  return VersionInfo{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

namespace {

struct OffThreadWork {
  const std::function<void()>* work;
};

DWORD WINAPI runWork(LPVOID parameter) {
  const auto* job = static_cast<OffThreadWork*>(parameter);
  (*job->work)();
  return 0;
}

}  // namespace

void Win32Shell::runOffThread(const std::function<void()>& work) {
  OffThreadWork job{&work};
  HANDLE thread = CreateThread(nullptr, 0, &runWork, &job, 0, nullptr);
  if (!thread) {
    work();  // no thread to be had: the work runs here, as it must run somewhere
    return;
  }
  // The work refers to the caller's data: whatever arrives, this returns
  // only once it has finished. Messages are handled meanwhile; an end of the
  // message loop asked for in the meantime is passed on afterwards.
  std::optional<WPARAM> quit;
  for (;;) {
    const DWORD woke =
        MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = msg.wParam;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  if (quit) PostQuitMessage(static_cast<int>(*quit));
}

void Win32Shell::shellExecute(WindowHandle owner, std::u16string_view verb,
                              std::u16string_view file, std::u16string_view parameters) {
  // The shell may hand the file to an extension that COM starts.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const std::wstring arguments = wide(parameters);
  ShellExecuteW(reinterpret_cast<HWND>(owner), wide(verb).c_str(), wide(file).c_str(),
                arguments.empty() ? nullptr : arguments.c_str(), nullptr, SW_SHOWNORMAL);
  if (SUCCEEDED(com)) CoUninitialize();
}

bool Win32Shell::setForegroundWindow(WindowHandle window) {
  return SetForegroundWindow(reinterpret_cast<HWND>(window)) != 0;
}

void Win32Shell::messageBox(WindowHandle owner, std::u16string_view text,
                            std::u16string_view caption) {
  if (beforeMessageBox) beforeMessageBox();
  MessageBoxW(reinterpret_cast<HWND>(owner), wide(text).c_str(), wide(caption).c_str(), MB_OK);
}

bool Win32Shell::messageBoxYesNo(WindowHandle owner, std::u16string_view text,
                                 std::u16string_view caption) {
  if (beforeMessageBox) beforeMessageBox();
  return MessageBoxW(reinterpret_cast<HWND>(owner), wide(text).c_str(), wide(caption).c_str(),
                     MB_YESNO | MB_ICONQUESTION) == IDYES;
}

std::optional<std::filesystem::path> Win32Shell::getOpenFileName(WindowHandle owner,
                                                                 std::u16string_view title,
                                                                 std::u16string_view filter,
                                                                 std::u16string_view fileName) {
  // The filter's parts are separated and ended by NULs, the list by two.
  std::wstring filters = wide(filter);
  for (wchar_t& c : filters)
    if (c == L'|') c = L'\0';
  filters.append(2, L'\0');
  std::wstring caption = wide(title);
  std::vector<wchar_t> file(32768, L'\0');
  std::wstring initial = wide(fileName);
  if (initial.size() < file.size()) initial.copy(file.data(), initial.size());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = reinterpret_cast<HWND>(owner);
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = caption.c_str();
  dialog.Flags =
      OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return std::filesystem::path(std::wstring(file.data()));
}

bool Win32Shell::copyFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

bool Win32Shell::fileExists(const std::filesystem::path& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32Shell::terminateApplication() { PostQuitMessage(0); }

std::filesystem::path Win32Shell::moduleFileName() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return std::filesystem::path(std::wstring(buffer.data(), length));
    buffer.resize(buffer.size() * 2);
  }
}

// The processes of the visible top-level windows, each once; the names
// are read after the enumeration, so that nothing slow runs inside it.
std::vector<std::u16string> Win32Shell::runningPrograms() {
  std::set<DWORD> processes;
  ::EnumWindows(
      [](HWND window, LPARAM found) -> BOOL {
        DWORD pid = 0;
        if (::IsWindowVisible(window) && ::GetWindowThreadProcessId(window, &pid) && pid != 0 &&
            pid != ::GetCurrentProcessId())
          reinterpret_cast<std::set<DWORD>*>(found)->insert(pid);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&processes));
  std::vector<std::u16string> names;
  for (DWORD pid : processes) {
    std::u16string name = processProgramName(pid);
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
      names.push_back(std::move(name));
  }
  return names;
}

}  // namespace korimo::platform::win32
