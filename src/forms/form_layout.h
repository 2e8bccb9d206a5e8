#pragma once
// The one rule that turns a form's twips into pixels, for every backend:
// control edges (not sizes) are converted, so that edges that line up in
// twips line up in pixels at every DPI; a label or check box whose text needs
// more room than its box is widened, never clipped; and the client area grows
// so that each control keeps its margin to the right and bottom edges. And
// the order in which Tab moves the focus.
#include <functional>
#include <vector>

#include "forms/form_design.h"

namespace nagwick::forms {

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct Extent {
    int width = 0, height = 0;
};

struct FormLayout {
    int clientWidth = 0;
    int clientHeight = 0;
    std::vector<Box> boxes;  // one for each control, in the order of design.controls
};

// `room` says how much room a label's or check box's text needs, in pixels
// at `dpi`; buttons keep their size.
FormLayout LayOutForm(const FormDesign& design, int dpi, const std::function<Extent(const ControlDesign&)>& room);

// The controls that take the focus (all but labels), in tab-index order.
std::vector<const ControlDesign*> TabOrder(const FormDesign& design);

}  // namespace nagwick::forms
