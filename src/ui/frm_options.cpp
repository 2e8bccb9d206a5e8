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
    const auto write = [this](std::string_view key, const std::string& value) {
        return core::WriteSetting(program_.settings, program_.appPath, key, value);
    };

    shared.strExplorer = "false";
    if (CheckValue("chkExplorer") == kChecked) shared.strExplorer = "true";
    const core::SaveResult explorerSaved = write(core::kExplorerKey, shared.strExplorer);

    shared.strStartState = "normal";
    if (CheckValue("chkStartState") == kChecked) shared.strStartState = "minimized";
    const core::SaveResult startSaved = write(core::kStartKey, shared.strStartState);

    // One box for the pair, the worse of the two: the user made one choice.
    const core::SaveResult& worse = explorerSaved.outcome >= startSaved.outcome ? explorerSaved : startSaved;
    if (const std::string report = core::SaveReport(worse); !report.empty())
        program_.system.ShowMessage(report, "Nagwick", platform::MsgBoxIcon::Exclamation);
    Unload();
}

void FrmOptions::btnCancel_Click() { Unload(); }

}  // namespace nagwick::ui
