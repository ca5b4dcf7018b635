// Text of the data files is in the Japanese double-byte code page; the game
// works in UTF-8 internally.
#pragma once

#include <string>
#include <string_view>

namespace vm {

std::string cp932_to_utf8(const std::string& bytes);
std::string utf8_to_cp932(const std::string& text);

// Decodes many short texts in turn, as the script's loader does field by
// field, with one converter kept open: each text decodes as cp932_to_utf8
// decodes it.
class Cp932Decoder {
 public:
  Cp932Decoder();
  ~Cp932Decoder();
  Cp932Decoder(const Cp932Decoder&) = delete;
  Cp932Decoder& operator=(const Cp932Decoder&) = delete;
  // Appends the UTF-8 text of bytes to out.
  void append(std::string_view bytes, std::string& out);

 private:
  void* cd_;  // the open converter
};

}  // namespace vm
