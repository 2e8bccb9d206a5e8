#include "ui/frm_main.h"

#include "core/vb_bool.h"
#include "ui/layouts.h"
#include "ui/program.h"

namespace nagwick::ui {

using core::vbFalse;
using core::vbTrue;

FrmMain::FrmMain(Program& program) : Form(program.runtime, MainFormDesign()), program_(program) {}

void FrmMain::Form_Load() {
    auto& shared = program_.module1;
    shared.blnWarnOnUnload = vbTrue;
    core::ReadSettings(shared, program_.settings, program_.appPath);
    if (shared.strStartState == "minimized") SetWindowState(forms::WindowState::Minimized);
    // A value the Boolean rules can't read counts as the key's default, "true".
    if (core::BoolFromText(shared.strExplorer).value_or(true)) OpenFileManager();
}

void FrmMain::OpenFileManager() {
    const std::string& folder = program_.appPath;
    std::string error;
    if (!program_.runtime.Shell(folder, error))
        program_.runtime.MsgBox("Could not open the folder \"" + folder + "\" in a file manager: " + error,
                                forms::MsgBoxIcon::Exclamation);
}

void FrmMain::Form_Unload() {
    if (program_.module1.blnWarnOnUnload != vbFalse)
        program_.runtime.MsgBox(kWarningPrompt, forms::MsgBoxIcon::Exclamation, kWarningTitle);
}

void FrmMain::Click(std::string_view control) {
    if (control == "btnExit") btnExit_Click();
    else if (control == "btnHide") btnHide_Click();
    else if (control == "btnOptions") btnOptions_Click();
}

void FrmMain::btnExit_Click() {
    program_.module1.blnWarnOnUnload = vbFalse;
    Unload();
}

void FrmMain::btnHide_Click() { Hide(); }

void FrmMain::btnOptions_Click() { program_.frmOptions.ShowModal(); }

}  // namespace nagwick::ui
