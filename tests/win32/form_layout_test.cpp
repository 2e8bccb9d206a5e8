// The layout at DPIs the test session's screen doesn't have, and with texts
// that need more room than the fonts there ever do (the end-to-end scenarios
// check the layout at 96 DPI, where everything fits).
#include <gtest/gtest.h>

#include "platform/win32/form_layout.h"
#include "ui/layouts.h"

namespace {

using nagwick::platform::ControlKind;
using nagwick::platform::ControlDesign;
using nagwick::platform::FormDesign;
using nagwick::platform::win32::Box;
using nagwick::platform::win32::Extent;
using nagwick::platform::win32::FormLayout;
using nagwick::platform::win32::LayOutForm;

const Box& BoxOf(const FormLayout& layout, const FormDesign& design, std::string_view name) {
    return layout.boxes.at(static_cast<std::size_t>(design.Find(name) - design.controls.data()));
}

TEST(FormLayout, EdgesThatLineUpStayLinedUpAtAnyDpi) {
    const FormDesign& dialog = nagwick::ui::OptionsFormDesign();
    for (int dpi : {96, 120, 144, 168, 192, 288}) {
        const FormLayout layout = LayOutForm(dialog, dpi, [](const ControlDesign&) { return Extent{}; });
        EXPECT_EQ(BoxOf(layout, dialog, "btnCancel").right, BoxOf(layout, dialog, "chkExplorer").right) << dpi;
    }
}

TEST(FormLayout, TextNeedingMoreRoomGrowsItsBoxAndTheWindowButNotButtons) {
    const FormDesign& main = nagwick::ui::MainFormDesign();
    const FormLayout layout = LayOutForm(main, 96, [](const ControlDesign& control) {
        EXPECT_NE(control.kind, ControlKind::Button) << control.name << ": buttons keep their size";
        return control.name == "Label9" ? Extent{400, 20} : Extent{10, 10};
    });
    const Box& label = BoxOf(layout, main, "Label9");
    EXPECT_EQ(label.left, 56);
    EXPECT_EQ(label.Width(), 400);
    EXPECT_EQ(label.Height(), 20);
    // Label9 ends 150 twips (10 pixels) short of the right edge and 1935
    // twips (129 pixels) above the bottom, and keeps both.
    EXPECT_EQ(layout.clientWidth, 56 + 400 + 10);
    EXPECT_EQ(layout.clientHeight, 80 + 20 + 129);
    // Others keep their boxes.
    EXPECT_EQ(BoxOf(layout, main, "Label8").Width(), 177);
    EXPECT_EQ(BoxOf(layout, main, "btnExit").Width(), 81);
}

}  // namespace
