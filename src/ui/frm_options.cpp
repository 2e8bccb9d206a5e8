#include "ui/frm_options.h"

#include "ui/layouts.h"
#include "ui/program.h"

namespace nagwick::ui {

namespace {
constexpr int kChecked = 1;
}

FrmOptions::FrmOptions(Program& program)
    : Form(program.runtime, OptionsFormDesign()), program_(program) {}

void FrmOptions::Form_Load() {
    const auto& shared = program_.module1;
    if (shared.strExplorer == "true") SetCheckValue("chkExplorer", kChecked);
    if (shared.strStartState == "minimized") SetCheckValue("chkStartState", kChecked);
}

void FrmOptions::Click(std::string_view control) {
    if (control == "btkOK") btkOK_Click();
    else if (control == "btnCancel") btnCancel_Click();
}

void FrmOptions::btkOK_Click() {
    auto& shared = program_.module1;
    shared.strExplorer = "false";
    if (CheckValue("chkExplorer") == kChecked) shared.strExplorer = "true";
    shared.strStartState = "normal";
    if (CheckValue("chkStartState") == kChecked) shared.strStartState = "minimized";
    // Both in one save, with one report: the user made one choice.
    if (const std::string report = core::SaveReport(core::WriteSettings(shared, program_.settings, program_.appPath));
        !report.empty())
        program_.runtime.MsgBox(report, forms::MsgBoxIcon::Exclamation);
    Unload();
}

void FrmOptions::btnCancel_Click() { Unload(); }

}  // namespace nagwick::ui
