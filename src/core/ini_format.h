#pragma once
// The Windows profile (INI) format, as the system's own profile functions
// read it, and a byte-preserving editor for one key.
#include <optional>
#include <string>
#include <string_view>

namespace nagwick::core {

// The value of `key` in `section` of the file's bytes, or nullopt when the
// section or the key is missing. Names match without regard to letter case;
// blanks around names and values are dropped; one pair of matching quotes
// around a value is removed; the first matching section and in it the first
// line naming the key count; everything after the first '=' is the value.
// CR, LF and CRLF end lines; a UTF-8, UTF-16LE or UTF-16BE byte-order mark is understood
// and the value is returned in UTF-8.
//
// Details that follow the system's reader: a line is a section header when
// it starts with '[' and holds a ']' (the name ends at the last ']', text
// after it is ignored); a line naming the key without '=' hides later lines
// of that key and reads as missing; ';' comments are lines like any other,
// so they never match an ordinary key; letter case is folded for ASCII only.
std::optional<std::string> FindProfileValue(std::string_view fileBytes,
                                            std::string_view section,
                                            std::string_view key);

// The file's bytes with `key` in `section` set to `value`, every other byte
// kept: an existing key line keeps its spacing and line end; a missing key
// goes at the end of its section; a missing section at the end of the file;
// an empty file becomes "[section]\r\nkey=value\r\n". The file's encoding
// (UTF-16 with its mark, or bytes) and line-end style are kept.
// Names and value are the program's own: ASCII words without blanks, line
// breaks, '=' or '['.
std::string SetProfileValue(std::string_view fileBytes, std::string_view section,
                            std::string_view key, std::string_view value);

// `text` cut to at most `maxChars` characters, never inside a UTF-8 sequence.
std::string TruncateChars(std::string_view text, std::size_t maxChars);

}  // namespace nagwick::core
