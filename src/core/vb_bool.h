#pragma once
// Text to Boolean under the OLE Automation rules, U.S. English.
#include <optional>
#include <string_view>

namespace nagwick::core {

// True or False as the rules read `text`: "true"/"false" in any letter case,
// "#TRUE#"/"#FALSE#", or a number (zero is False, any other number True).
// nullopt where the rules can't read it (the runtime's type mismatch).
std::optional<bool> BoolFromText(std::string_view text);

}  // namespace nagwick::core
