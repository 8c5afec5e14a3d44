#pragma once
// Pieces of the reader's and the writer's error messages: where, which
// character, and texts quoted (cut short, so that a message stays readable).

#include <cstddef>
#include <string>
#include <string_view>

namespace korimo::xml::detail {

// "line L, column C: ", to go before what is wrong.
std::string position(std::size_t line, std::size_t column);

// "U+0041", four hex digits or six.
std::string hexCode(char32_t c);

std::string inQuotes(const std::u32string& text);
// A lone surrogate is shown as U+FFFD.
std::string inQuotes(std::u16string_view text);
// Checked UTF-8 text, quoted.
std::string inQuotesUtf8(std::string_view text);

// The text or file is beyond kMaxFileBytes.
std::string fileTooLarge();

}  // namespace korimo::xml::detail
