#pragma once
// The two windows as layout data, in twips, that each backend turns into controls.
#include "forms/form_design.h"

namespace nagwick::ui {

const forms::FormDesign& MainFormDesign();
const forms::FormDesign& OptionsFormDesign();

}  // namespace nagwick::ui
