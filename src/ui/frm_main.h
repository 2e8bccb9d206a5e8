#pragma once
// The main window: says the drive is in use, carries out the start-up
// choices, and warns on every unload but Exit.
#include "forms/form.h"

namespace nagwick::ui {

class Program;

class FrmMain : public forms::Form {
public:
    explicit FrmMain(Program& program);

    static constexpr const char* kWarningPrompt = "Remove your flash drive!";
    static constexpr const char* kWarningTitle = "Remove flash drive";

protected:
    void Form_Load() override;
    void Form_Unload() override;
    void Click(std::string_view control) override;

private:
    void btnExit_Click();
    void btnHide_Click();
    void btnOptions_Click();
    void OpenFileManager();

    Program& program_;
};

}  // namespace nagwick::ui
