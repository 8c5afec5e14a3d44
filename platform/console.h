#pragma once
// Console programs: raw byte streams and UTF-8 file names on every platform.

#include <filesystem>
#include <string>
#include <string_view>

namespace korimo::platform {

// Standard input and output carry bytes unchanged (no CR/LF translation).
void useBinaryStdio();

std::filesystem::path pathFromUtf8(std::string_view utf8);

}  // namespace korimo::platform
