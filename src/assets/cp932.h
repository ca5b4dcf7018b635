// Text of the data files is in the Japanese double-byte code page; the game
// works in UTF-8 internally.
#pragma once

#include <string>

namespace vm {

std::string cp932_to_utf8(const std::string& bytes);
std::string utf8_to_cp932(const std::string& text);

}  // namespace vm
