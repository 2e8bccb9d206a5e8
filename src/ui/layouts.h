#pragma once
// The two windows as layout data, in twips, that each backend turns into controls.
#include "platform/form_spec.h"

namespace nagwick::ui {

const platform::FormSpec& MainFormSpec();
const platform::FormSpec& OptionsFormSpec();

}  // namespace nagwick::ui
