#pragma once
// Nagwick started from one folder is one program: a second start from there
// brings the running copy's windows back instead of starting another. This
// is the name under which that copy answers.
#include <string>
#include <string_view>

namespace nagwick::core {

// "nagwick-" and 16 hex digits of a hash of `folder`, the program's folder
// as the user sees it, spelled as the system compares names (the caller
// folds letter case where the file system does).
std::string InstanceName(std::string_view folder);

// How long another start waits for the running copy's answer before it goes
// on by itself: a copy that is stopped, hung or ending gives none.
constexpr int kAnswerPatienceMs = 1500;

}  // namespace nagwick::core
