// How the game reads the text of its data files: blanks around a field,
// integers, NUMs (scene numbers), lines, and UTF-8 characters. The engine and
// the data tool read through these and nowhere else, so a field that one of
// them accepts the other reads the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

// The field without the spaces and tabs around it.
std::string trim_blanks(std::string_view s);
// The same, as a view of s.
std::string_view blank_trimmed(std::string_view s);

// An integer written as decimal digits with an optional sign, blanks around
// it allowed ("  -3 " is -3). Anything else ("2x", "", "1.5") is no number.
std::optional<long> read_integer(std::string_view text);

// A field the interpreter reads as a number within [lo, hi]: throws DataError
// naming 51.dat, the line and "field N (name)" when it is not one.
long script_number(int line, std::string_view text, int field_no, const char* name, long lo,
                   long hi);

// A NUM field: its first character followed by its last three, as a signed
// 16-bit integer ("0305" -> 305, "1-234" -> 1234, "3.050" -> 3050, "12" -> 112).
bool decode_num(std::string_view field, int16_t& out);

// The lines of a text file, each without its CR LF (a bare LF also ends a
// line); a last line without an end still counts.
std::vector<std::string> split_lines(std::string_view text);

// The characters (code points) of a UTF-8 text, each as its own UTF-8
// string; a malformed byte counts as one character.
std::vector<std::string> split_chars(std::string_view utf8);
size_t utf8_length(std::string_view utf8);
// Whether a text is well-formed UTF-8 (no stray, overlong or surrogate
// sequence): a file saved in Shift_JIS is not.
bool is_utf8(std::string_view text);
// The characters [first, first + count) of a UTF-8 text.
std::string utf8_substr(std::string_view utf8, size_t first, size_t count);

}  // namespace vm
