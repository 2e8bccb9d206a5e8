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
    auto& profile = program_.system;

    shared.strExplorer = "false";
    if (CheckValue("chkExplorer") == kChecked) shared.strExplorer = "true";
    const core::FileResult explorerWritten =
        core::WriteSetting(profile, core::kExplorerKey, shared.strExplorer);

    shared.strStartState = "normal";
    if (CheckValue("chkStartState") == kChecked) shared.strStartState = "minimized";
    const core::FileResult startWritten =
        core::WriteSetting(profile, core::kStartKey, shared.strStartState);

    // One box for the pair: the user made one choice, not two.
    const core::FileResult& failed = !explorerWritten.ok ? explorerWritten : startWritten;
    if (!failed.ok)
        program_.system.ShowMessage("Your choices could not be saved to \"" +
                                        core::SettingsPath(profile) + "\": " + failed.error,
                                    "Nagwick", platform::MsgBoxIcon::Exclamation);
    Unload();
}

void FrmOptions::btnCancel_Click() { Unload(); }

}  // namespace nagwick::ui
