#pragma once
// Text to Boolean under the OLE Automation rules, U.S. English.
#include <optional>
#include <string_view>

namespace nagwick::core {

// True or False as the rules read `text`: "true"/"false" in any letter case,
// "#TRUE#"/"#FALSE#", or a number (zero is False, any other number True).
// nullopt where the rules can't read it (the runtime's type mismatch or
// overflow).
//
// The words match whole, without blanks around them. A number may have
// blanks before and after it; a sign before or after it (or parentheses
// around it for a negative one); a '$' before or after it; thousands commas
// after its first digit; a decimal point; an exponent ("1e5", "2E-3"); or be
// written &H (hex) or &O (octal). Hex and octal values must fit 64 bits and
// then, as 32-bit numbers, be at most &H80000000 (or, as the runtime reads
// them, past 2^63 where they wrap to a small negative). A decimal number too
// large for a double is no number; one too small to tell from zero is zero.
// Text ends at a NUL character, as it does for the runtime.
std::optional<bool> BoolFromText(std::string_view text);

}  // namespace nagwick::core
