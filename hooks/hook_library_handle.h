#pragma once
// The hook library one component has loaded. A handler may stop its
// component in the middle of a report; the library's hook procedure is then
// still on the stack below the handler and returns into it, so a library
// released during a report stays loaded until every report has returned (it
// goes at the next load, the next report or the component's end).

#include <memory>
#include <string_view>
#include <vector>

#include "platform/hook_platform.h"

namespace korimo::hooks {

class HookLibraryHandle {
 public:
  explicit HookLibraryHandle(platform::HookPlatform& platform) : platform_(platform) {}

  // Loads the library of that file name from the program's own folder, by
  // full path: a library of the same name in the current folder or on the
  // search path is never picked up. Null when it does not load.
  platform::HookLibrary* load(std::u16string_view fileName) {
    if (depth_ == 0) retired_.clear();
    library_ =
        platform_.loadLibrary(platform_.executableFolder() + u"\\" + std::u16string(fileName));
    return library_.get();
  }

  // Loads the library and resolves its exports; false, with nothing loaded,
  // when it does not load or lacks one of them.
  template <typename Exports>
  bool load(std::u16string_view fileName, Exports& exports) {
    platform::HookLibrary* library = load(fileName);
    if (!library) return false;
    library->resolve(exports);
    if (exports.complete()) return true;
    release(exports);
    return false;
  }
  // Releases the library and forgets its exports.
  template <typename Exports>
  bool release(Exports& exports) {
    exports = Exports{};
    return release();
  }

  // Releases the library, or retires it while a report is being handled.
  // False when none is loaded.
  bool release() {
    if (!library_) return false;
    if (depth_ > 0)
      retired_.push_back(std::move(library_));
    else
      library_.reset();
    return true;
  }

  // Marks a report as being handled for as long as the scope lives.
  class ReportScope {
   public:
    explicit ReportScope(HookLibraryHandle& handle) : handle_(handle) {
      if (handle_.depth_ == 0) handle_.retired_.clear();  // every earlier report has returned
      ++handle_.depth_;
    }
    ~ReportScope() { --handle_.depth_; }
    ReportScope(const ReportScope&) = delete;
    ReportScope& operator=(const ReportScope&) = delete;

   private:
    HookLibraryHandle& handle_;
  };

 private:
  platform::HookPlatform& platform_;
  std::unique_ptr<platform::HookLibrary> library_;
  std::vector<std::unique_ptr<platform::HookLibrary>> retired_;
  int depth_ = 0;
};

}  // namespace korimo::hooks
