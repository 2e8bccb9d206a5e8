// The layout at a DPI: boxes from twips, grown for a text that needs more
// room, and a client area that keeps each control's margins.
#include <gtest/gtest.h>

#include "platform/win32/form_layout.h"
#include "ui/layouts.h"

namespace {

using nagwick::platform::ControlKind;
using nagwick::platform::ControlSpec;
using nagwick::platform::FormSpec;
using nagwick::platform::win32::Box;
using nagwick::platform::win32::Extent;
using nagwick::platform::win32::FormLayout;
using nagwick::platform::win32::LayOutForm;

std::size_t IndexOf(const FormSpec& spec, std::string_view name) {
    return static_cast<std::size_t>(spec.Find(name) - spec.controls.data());
}

FormLayout NothingGrows(const FormSpec& spec, int dpi) {
    return LayOutForm(spec, dpi, [](const ControlSpec&) { return Extent{}; });
}

TEST(FormLayout, TwipsBecomePixelsAt96Dpi) {
    const FormSpec& main = nagwick::ui::MainFormSpec();
    const FormLayout layout = NothingGrows(main, 96);
    EXPECT_EQ(layout.clientWidth, 385);
    EXPECT_EQ(layout.clientHeight, 222);
    ASSERT_EQ(layout.boxes.size(), main.controls.size());
    const Box& exit = layout.boxes[IndexOf(main, "btnExit")];
    EXPECT_EQ(exit.left, 280);
    EXPECT_EQ(exit.top, 168);
    EXPECT_EQ(exit.Width(), 81);
    EXPECT_EQ(exit.Height(), 33);

    const FormLayout options = NothingGrows(nagwick::ui::OptionsFormSpec(), 96);
    EXPECT_EQ(options.clientWidth, 312);
    EXPECT_EQ(options.clientHeight, 139);
}

TEST(FormLayout, EdgesThatLineUpStayLinedUpAtAnyDpi) {
    const FormSpec& dialog = nagwick::ui::OptionsFormSpec();
    for (int dpi : {96, 120, 144, 168, 192, 288}) {
        const FormLayout layout = NothingGrows(dialog, dpi);
        EXPECT_EQ(layout.boxes[IndexOf(dialog, "btnCancel")].right, layout.boxes[IndexOf(dialog, "chkExplorer")].right)
            << dpi;
        EXPECT_EQ(layout.clientWidth, (4680 * dpi + 720) / 1440) << dpi;
    }
}

TEST(FormLayout, TextNeedingMoreRoomGrowsItsBoxAndTheWindow) {
    const FormSpec& main = nagwick::ui::MainFormSpec();
    const FormLayout layout = LayOutForm(main, 96, [](const ControlSpec& control) {
        return control.name == "Label9" ? Extent{400, 20} : Extent{10, 10};
    });
    const Box& label = layout.boxes[IndexOf(main, "Label9")];
    EXPECT_EQ(label.left, 56);
    EXPECT_EQ(label.Width(), 400);
    EXPECT_EQ(label.Height(), 20);
    // Label9 ends 150 twips (10 pixels) short of the right edge and 1935
    // twips (129 pixels) above the bottom, and keeps both.
    EXPECT_EQ(layout.clientWidth, 56 + 400 + 10);
    EXPECT_EQ(layout.clientHeight, 80 + 20 + 129);
    // Others keep their boxes.
    EXPECT_EQ(layout.boxes[IndexOf(main, "Label8")].Width(), 177);
}

TEST(FormLayout, ButtonsKeepTheirSize) {
    const FormSpec& dialog = nagwick::ui::OptionsFormSpec();
    const FormLayout layout = LayOutForm(dialog, 96, [](const ControlSpec& control) {
        EXPECT_NE(control.kind, ControlKind::Button) << control.name;
        return Extent{1000, 1000};
    });
    EXPECT_EQ(layout.boxes[IndexOf(dialog, "btkOK")].Width(), 81);
    EXPECT_EQ(layout.boxes[IndexOf(dialog, "btkOK")].Height(), 25);
    EXPECT_EQ(layout.boxes[IndexOf(dialog, "chkExplorer")].Width(), 1000);
}

}  // namespace
