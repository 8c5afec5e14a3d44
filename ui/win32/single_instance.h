#pragma once
// One running program per user: two would each hook the keyboard and
// compose every key twice. A second start asks the running program to open
// its keymap sub-menu and ends at once. A start while the running program
// is ending (Exit, or the restart after the settings dialog) waits for it to
// go, so the new program takes over.

#include <windows.h>

#include <optional>

namespace korimo::ui::win32 {

class SingleInstance {
 public:
  // The guard, held until the object goes; nullopt when this start must end.
  static std::optional<SingleInstance> acquire();

  ~SingleInstance();
  SingleInstance(SingleInstance&& other) noexcept : mutex_(other.mutex_) { other.mutex_ = nullptr; }
  SingleInstance& operator=(SingleInstance&&) = delete;
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

 private:
  explicit SingleInstance(HANDLE mutex) : mutex_(mutex) {}
  HANDLE mutex_;
};

}  // namespace korimo::ui::win32
