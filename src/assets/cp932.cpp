#include "assets/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <vector>

namespace vm {

namespace {

std::string convert(const std::string& in, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("no text conversion from ") + from + " to " + to);
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

size_t utf8_length(const std::string& text) {
  size_t n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

std::string utf8_substr(const std::string& text, size_t first, size_t count) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
  const size_t n = starts.size();
  starts.push_back(text.size());
  if (first >= n) return "";
  size_t last = std::min(first + count, n);
  return text.substr(starts[first], starts[last] - starts[first]);
}

}  // namespace vm
