#pragma once
// The options dialog: the two start-up choices as check boxes, written to the
// settings file on OK. A change takes effect at the next start.
#include "forms/form.h"

namespace nagwick::ui {

class Program;

class FrmOptions : public forms::Form {
public:
    explicit FrmOptions(Program& program);

protected:
    void Form_Load() override;
    void Click(std::string_view control) override;

private:
    void btkOK_Click();
    void btnCancel_Click();

    Program& program_;
};

}  // namespace nagwick::ui
