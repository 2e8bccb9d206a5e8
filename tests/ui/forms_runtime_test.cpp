// The forms runtime itself: loading on first use, modal loops, and the
// report of an error that escapes a handler.
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

#include "platform/forms/form.h"
#include "platform/forms/forms_runtime.h"
#include "platform/headless/headless_system.h"

namespace nagwick::platform {
namespace {

constexpr std::array kControls{
    ControlDesign{ControlKind::Button, "btnThrow", "Throw", 0, 0, 100, 100, 0, false},
    ControlDesign{ControlKind::CheckBox, "chkBox", "Box", 0, 200, 100, 100, 1, false},
};
const FormDesign kDesign{"frmTest", "Test", FormKind::Main, 1000, 1000, kControls, ""};

class TestForm : public Form {
public:
    using Form::Form;
    int loads = 0;
    int unloads = 0;

protected:
    void Form_Load() override { ++loads; }
    void Form_Unload(std::int16_t&) override { ++unloads; }
    void Click(std::string_view) override { throw std::runtime_error("Type mismatch"); }
};

TEST(FormsRuntimeTest, EscapingErrorIsReportedAndEndsTheProgram) {
    headless::HeadlessSystem system("/tmp");
    FormsRuntime runtime(system);
    TestForm form(runtime, kDesign);
    system.Post([&] { system.Click("frmTest", "btnThrow"); });
    EXPECT_EQ(runtime.Run(form), 1);
    ASSERT_EQ(system.messages().size(), 1u);
    EXPECT_EQ(system.messages()[0].prompt, "Run-time error: Type mismatch");
    EXPECT_EQ(system.messages()[0].icon, MsgBoxIcon::Critical);
    // Nothing runs after the report, not even the unload handler.
    system.SendSignal();
    EXPECT_EQ(form.unloads, 0);
}

TEST(FormsRuntimeTest, UnloadedFormLoadsAgainOnNextUseWithFreshControls) {
    headless::HeadlessSystem system("/tmp");
    FormsRuntime runtime(system);
    TestForm form(runtime, kDesign);
    form.Show();
    form.SetCheckValue("chkBox", 1);
    form.Unload();
    EXPECT_EQ(system.quitStatus(), 0) << "no form left: the program ends";
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(form.CheckValue("chkBox"), 0) << "a use of an unloaded form loads it anew";
    EXPECT_EQ(form.loads, 2);
    EXPECT_EQ(form.unloads, 1);
}

}  // namespace
}  // namespace nagwick::platform
