// The twips-to-pixels rule at DPIs, and with texts, that the end-to-end runs never meet.
#include <gtest/gtest.h>

#include "forms/form_layout.h"
#include "ui/layouts.h"

namespace nagwick::forms {
namespace {

const Box& BoxOf(const FormLayout& layout, const forms::FormDesign& design, std::string_view name) {
    return layout.boxes.at(static_cast<std::size_t>(design.Find(name) - design.controls.data()));
}

TEST(FormLayout, EdgesThatLineUpStayLinedUpAtAnyDpi) {
    const forms::FormDesign& dialog = ui::OptionsFormDesign();
    for (int dpi : {96, 110, 120, 144, 168, 192, 288}) {
        const FormLayout layout = LayOutForm(dialog, dpi, [](auto&) { return Extent{}; });
        EXPECT_EQ(BoxOf(layout, dialog, "btnCancel").right, BoxOf(layout, dialog, "chkExplorer").right) << dpi;
        EXPECT_EQ(BoxOf(layout, dialog, "btkOK").right, TwipsToPixels(1800 + 1215, dpi)) << dpi << ": the edge, not the width";
    }
}

// Label9 ends 10 pixels short of the right edge and 129 above the bottom,
// and keeps both margins when it grows; buttons and the other labels keep their boxes.
TEST(FormLayout, ATextNeedingMoreRoomGrowsItsBoxAndTheWindow) {
    const forms::FormDesign& main = ui::MainFormDesign();
    const FormLayout layout = LayOutForm(main, 96, [](const forms::ControlDesign& control) {
        return control.name == "Label9" ? Extent{400, 20} : Extent{10, 10};
    });
    const Box& label = BoxOf(layout, main, "Label9");
    EXPECT_EQ((std::vector{label.left, label.Width(), label.Height(), layout.clientWidth, layout.clientHeight}),
              (std::vector{56, 400, 20, 56 + 400 + 10, 80 + 20 + 129}));
    EXPECT_EQ(BoxOf(layout, main, "Label8").Width(), 177);
    EXPECT_EQ(BoxOf(layout, main, "btnExit").Width(), 81);
}

}  // namespace
}  // namespace nagwick::forms
