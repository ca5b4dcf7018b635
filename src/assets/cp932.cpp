#include "assets/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/errors.h"

namespace vm {

namespace {

iconv_t open_converter(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw DataError("", 0, "", std::string("no text conversion from ") + from + " to " + to);
  return cd;
}

// Appends the converted text of in to out.
void convert_into(iconv_t cd, std::string_view in, std::string& out) {
  const size_t at = out.size();
  out.resize(at + in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = out.data() + at;
  size_t dst_left = out.size() - at;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a fresh start for each text
  while (src_left > 0) {
    if (iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1)) {
      if (errno == EILSEQ || errno == EINVAL) {
        // An unmappable byte becomes '?' rather than losing the rest.
        ++src;
        --src_left;
        if (dst_left > 0) {
          *dst++ = '?';
          --dst_left;
        }
        continue;
      }
      break;
    }
  }
  out.resize(out.size() - dst_left);
}

std::string convert(const std::string& in, const char* to, const char* from) {
  iconv_t cd = open_converter(to, from);
  std::string out;
  convert_into(cd, in, out);
  iconv_close(cd);
  return out;
}

}  // namespace

std::string cp932_to_utf8(const std::string& bytes) {
  return convert(bytes, "UTF-8", "CP932");
}
std::string utf8_to_cp932(const std::string& text) {
  return convert(text, "CP932", "UTF-8");
}

Cp932Decoder::Cp932Decoder() : cd_(open_converter("UTF-8", "CP932")) {}

Cp932Decoder::~Cp932Decoder() {
  iconv_close(static_cast<iconv_t>(cd_));
}

void Cp932Decoder::append(std::string_view bytes, std::string& out) {
  // Below 0x80 the code page is ASCII, byte for byte: numbers and commands
  // need no converter.
  bool ascii = true;
  for (const char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    out.append(bytes);
    return;
  }
  convert_into(static_cast<iconv_t>(cd_), bytes, out);
}

}  // namespace vm
