#pragma once
// The two windows as layout data, in twips, that each backend turns into controls.
#include "platform/form_design.h"

namespace nagwick::ui {

const platform::FormDesign& MainFormDesign();
const platform::FormDesign& OptionsFormDesign();

}  // namespace nagwick::ui
