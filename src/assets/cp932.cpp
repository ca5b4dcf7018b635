#include "assets/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/errors.h"

namespace vm {

namespace {

std::string convert(const std::string& in, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw DataError("", 0, "", std::string("no text conversion from ") + from + " to " + to);
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = out.data();
  size_t dst_left = out.size();
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
  iconv_close(cd);
  out.resize(out.size() - dst_left);
  return out;
}

}  // namespace

std::string cp932_to_utf8(const std::string& bytes) {
  return convert(bytes, "UTF-8", "CP932");
}
std::string utf8_to_cp932(const std::string& text) {
  return convert(text, "CP932", "UTF-8");
}

}  // namespace vm
