#pragma once
// The runtime's App object: the program's title, which its main window and
// its message boxes carry.
#include <string_view>

namespace nagwick::forms {

struct App {
    static constexpr std::string_view Title = "Nagwick";
};

}  // namespace nagwick::forms
