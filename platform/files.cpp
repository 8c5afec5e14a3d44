#include "platform/files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace korimo::platform {
namespace {

std::u16string folded(std::u16string text) {
  for (char16_t& c : text)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return text;
}

}  // namespace

void replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
#ifdef _WIN32
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw std::filesystem::filesystem_error(
        "cannot replace file", from, to,
        std::error_code(static_cast<int>(GetLastError()), std::system_category()));
#else
  std::filesystem::rename(from, to);
#endif
}

std::filesystem::path findFileNoCase(const std::filesystem::path& folder,
                                     std::u16string_view name) {
  std::error_code error;
  const std::u16string wanted = folded(std::u16string(name));
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    if (folded(entry.path().filename().u16string()) == wanted) return entry.path();
  return folder / std::u16string(name);
}

}  // namespace korimo::platform
