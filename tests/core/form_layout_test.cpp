// The twips-to-pixels rule, at DPIs and with texts that the end-to-end
// runs never meet.
#include <gtest/gtest.h>

#include "forms/form_layout.h"
#include "ui/layouts.h"

namespace nagwick::forms {
namespace {

const Box& BoxOf(const FormLayout& layout, const FormDesign& design, std::string_view name) {
    return layout.boxes.at(static_cast<std::size_t>(design.Find(name) - design.controls.data()));
}

TEST(FormLayout, EdgesThatLineUpStayLinedUpAtAnyDpi) {
    const FormDesign& dialog = ui::OptionsFormDesign();
    for (int dpi : {96, 120, 144, 168, 192, 288}) {
        const FormLayout layout = LayOutForm(dialog, dpi, [](const ControlDesign&) { return Extent{}; });
        EXPECT_EQ(BoxOf(layout, dialog, "btnCancel").right, BoxOf(layout, dialog, "chkExplorer").right) << dpi;
        EXPECT_EQ(BoxOf(layout, dialog, "btkOK").top, TwipsToPixels(1440, dpi)) << dpi;
    }
}

TEST(FormLayout, ATextNeedingMoreRoomGrowsItsBoxAndTheWindowButNoButton) {
    const FormDesign& main = ui::MainFormDesign();
    const FormLayout layout = LayOutForm(main, 96, [](const ControlDesign& control) {
        EXPECT_NE(control.kind, ControlKind::Button) << control.name;
        return control.name == "Label9" ? Extent{400, 20} : Extent{10, 10};
    });
    const Box& label = BoxOf(layout, main, "Label9");
    EXPECT_EQ(label.left, 56);
    EXPECT_EQ(label.Width(), 400);
    EXPECT_EQ(label.Height(), 20);
    // Label9 ends 10 pixels short of the right edge and 129 above the
    // bottom, and keeps both margins; the others keep their boxes.
    EXPECT_EQ(layout.clientWidth, 56 + 400 + 10);
    EXPECT_EQ(layout.clientHeight, 80 + 20 + 129);
    EXPECT_EQ(BoxOf(layout, main, "Label8").Width(), 177);
    EXPECT_EQ(BoxOf(layout, main, "btnExit").Width(), 81);
}

}  // namespace
}  // namespace nagwick::forms
