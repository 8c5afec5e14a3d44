#pragma once
// File operations the program needs beyond the standard library's.

#include <filesystem>
#include <string_view>

namespace korimo::platform {

// Replaces `to` with `from` in one step: a reader sees the old file or the
// new one, never a partial one. Raises std::filesystem::filesystem_error.
void replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// The file in folder whose name equals name without regard to letter case
// (as Windows compares file names), or folder / name when there is none.
std::filesystem::path findFileNoCase(const std::filesystem::path& folder, std::u16string_view name);

}  // namespace korimo::platform
