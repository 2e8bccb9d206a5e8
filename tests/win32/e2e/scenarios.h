#pragma once
// The end-to-end scenarios, each run by name.
#include <string>
#include <string_view>

namespace e2e {

struct Context {
    std::wstring exe;   // the Nagwick.exe under test
    std::wstring work;  // a folder of the scenario's own
};

// 0 when the scenario passed, 1 when it failed, 2 when there is none by
// that name (the known ones are listed then).
int RunScenario(std::string_view name, const Context& context);

}  // namespace e2e
