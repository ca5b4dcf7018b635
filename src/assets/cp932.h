// Text of the data files is in the Japanese double-byte code page; the game
// works in UTF-8 internally.
#pragma once

#include <string>

namespace vm {

std::string cp932_to_utf8(const std::string& bytes);
std::string utf8_to_cp932(const std::string& text);
// Number of characters (code points) of a UTF-8 text.
size_t utf8_length(const std::string& text);
// The characters [first, first + count) of a UTF-8 text.
std::string utf8_substr(const std::string& text, size_t first, size_t count);

}  // namespace vm
