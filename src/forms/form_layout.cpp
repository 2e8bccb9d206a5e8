#include "forms/form_layout.h"

#include <algorithm>

namespace nagwick::forms {

FormLayout LayOutForm(const FormDesign& design, int dpi, const std::function<Extent(const ControlDesign&)>& room) {
    const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    const int designWidth = px(design.clientWidth);
    const int designHeight = px(design.clientHeight);
    FormLayout layout{designWidth, designHeight, {}};
    layout.boxes.reserve(design.controls.size());
    for (const ControlDesign& control : design.controls) {
        // Edges from twips, so that edges that line up in twips line up here.
        Box box{px(control.left), px(control.top), px(control.left + control.width),
                px(control.top + control.height)};
        if (control.kind != ControlKind::Button) {
            const Extent needed = room(control);
            box.right = std::max(box.right, box.left + needed.width);
            box.bottom = std::max(box.bottom, box.top + needed.height);
        }
        const int rightMargin = std::max(designWidth - px(control.left + control.width), 0);
        const int bottomMargin = std::max(designHeight - px(control.top + control.height), 0);
        layout.clientWidth = std::max(layout.clientWidth, box.right + rightMargin);
        layout.clientHeight = std::max(layout.clientHeight, box.bottom + bottomMargin);
        layout.boxes.push_back(box);
    }
    return layout;
}

std::vector<const ControlDesign*> TabOrder(const FormDesign& design) {
    std::vector<const ControlDesign*> order;
    for (const ControlDesign& control : design.controls)
        if (control.kind != ControlKind::Label) order.push_back(&control);
    std::ranges::stable_sort(order, {}, &ControlDesign::tabIndex);
    return order;
}

}  // namespace nagwick::forms
