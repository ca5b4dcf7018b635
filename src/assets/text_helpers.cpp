#include "assets/text_helpers.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "platform/errors.h"

namespace vm {

std::string_view blank_trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

std::string trim_blanks(std::string_view s) {
  return std::string(blank_trimmed(s));
}

std::optional<long> read_integer(std::string_view text) {
  const std::string t = trim_blanks(text);
  const char* b = t.data();
  const char* e = t.data() + t.size();
  if (b != e && *b == '+') {
    ++b;
    if (b != e && (*b == '+' || *b == '-')) return std::nullopt;
  }
  if (b == e) return std::nullopt;
  long v = 0;
  auto [p, ec] = std::from_chars(b, e, v);
  if (ec != std::errc() || p != e) return std::nullopt;
  return v;
}

long script_number(int line, std::string_view text, int field_no, const char* name, long lo,
                   long hi) {
  const std::optional<long> v = read_integer(text);
  const std::string field = std::to_string(field_no) + " (" + name + ")";
  if (!v) throw DataError("51.dat", line, field, "\"" + trim_blanks(text) + "\" is not a number");
  if (*v < lo || *v > hi)
    throw DataError("51.dat", line, field,
                    std::to_string(*v) + " is out of range (" + std::to_string(lo) + " to " +
                        std::to_string(hi) + ")");
  return *v;
}

bool decode_num(std::string_view field, int16_t& out) {
  if (field.empty()) return false;
  std::string digits(field.substr(0, 1));
  digits += field.substr(field.size() > 3 ? field.size() - 3 : 0);
  const std::optional<long> v = read_integer(digits);
  if (!v || *v < -32768 || *v > 32767) return false;
  out = static_cast<int16_t>(*v);
  return true;
}

std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t nl = text.find('\n', pos);
    const size_t end = nl == std::string_view::npos ? text.size() : nl;
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (nl == std::string_view::npos) break;
    pos = nl + 1;
  }
  return lines;
}

std::vector<std::string> split_chars(std::string_view utf8) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    size_t len = lead < 0x80           ? 1
                 : (lead >> 5) == 0x6  ? 2
                 : (lead >> 4) == 0xE  ? 3
                 : (lead >> 3) == 0x1E ? 4
                                       : 1;
    // A broken sequence counts byte by byte rather than swallowing its
    // neighbours.
    if (i + len > utf8.size()) len = 1;
    for (size_t k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) {
        len = 1;
        break;
      }
    out.emplace_back(utf8.substr(i, len));
    i += len;
  }
  return out;
}

size_t utf8_length(std::string_view utf8) {
  return split_chars(utf8).size();
}

bool is_utf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t len = lead < 0x80   ? 1
                       : lead < 0xC2 ? 0
                       : lead < 0xE0 ? 2
                       : lead < 0xF0 ? 3
                       : lead < 0xF5 ? 4
                                     : 0;
    if (len == 0 || i + len > text.size()) return false;
    uint32_t cp = len == 1 ? lead : lead & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
      const auto b = static_cast<unsigned char>(text[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (b & 0x3F);
    }
    const uint32_t least = len == 3 ? 0x800 : len == 4 ? 0x10000 : 0;
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

std::string utf8_substr(std::string_view utf8, size_t first, size_t count) {
  const std::vector<std::string> chars = split_chars(utf8);
  std::string out;
  for (size_t i = first; i < chars.size() && i - first < count; ++i) out += chars[i];
  return out;
}

}  // namespace vm
