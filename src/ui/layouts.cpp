#include "ui/layouts.h"

#include <array>

#include "forms/app.h"

namespace nagwick::ui {

using forms::ControlKind;
using forms::ControlDesign;
using forms::FormKind;
using forms::FormDesign;

namespace {

// In screen order. The texts are the program's own, spelling included.
constexpr std::array kMainControls{
    ControlDesign{ControlKind::Label, "Label1", "Your flash drive is plugged in.", 240, 240, 2655, 255, 2, true},
    ControlDesign{ControlKind::Label, "Label2", "Exit -", 240, 720, 450, 195, 3, true},
    ControlDesign{ControlKind::Label, "Label4", "Exits this program, allowing you to safely remove the flash drive.", 840, 720, 4470, 195, 5, false},
    ControlDesign{ControlKind::Label, "Label5", "You will not recieve any more nagwicks.  It is reccomended that", 840, 960, 4500, 195, 6, false},
    ControlDesign{ControlKind::Label, "Label9", "you leave this widow open, then click Exit when you want to log off.", 840, 1200, 4785, 195, 10, false},
    ControlDesign{ControlKind::Label, "Label3", "Hide -", 240, 1560, 525, 195, 4, true},
    ControlDesign{ControlKind::Label, "Label6", "Hides this window, but leaves the program running.", 840, 1560, 3600, 195, 7, false},
    ControlDesign{ControlKind::Label, "Label7", "You will recieve a nagwick when you log off, but you will not be", 840, 1800, 4470, 195, 8, false},
    ControlDesign{ControlKind::Label, "Label8", "able to safely remove your flash drive.", 840, 2040, 2655, 195, 9, false},
    ControlDesign{ControlKind::Button, "btnOptions", "Options", 360, 2520, 1215, 495, 11, false},
    ControlDesign{ControlKind::Button, "btnHide", "Hide", 2280, 2520, 1215, 495, 1, false},
    ControlDesign{ControlKind::Button, "btnExit", "Exit", 4200, 2520, 1215, 495, 0, false},
};

constexpr std::array kOptionsControls{
    ControlDesign{ControlKind::CheckBox, "chkExplorer", "Open flash drive to view files when this program runs", 360, 360, 4095, 255, 0, false},
    ControlDesign{ControlKind::CheckBox, "chkStartState", "Start this program minimized", 360, 840, 4095, 255, 1, false},
    ControlDesign{ControlKind::Button, "btkOK", "OK", 1800, 1440, 1215, 375, 3, false},
    ControlDesign{ControlKind::Button, "btnCancel", "Cancel", 3240, 1440, 1215, 375, 2, false},
};

}  // namespace

const FormDesign& MainFormDesign() {
    // No default button: Enter presses the button that has the focus (Exit at
    // the start), as in any window of buttons.
    static const FormDesign design{"frmMain", forms::App::Title, FormKind::Main, 5775, 3330, kMainControls, ""};
    return design;
}

const FormDesign& OptionsFormDesign() {
    // OK is the default button, so Enter presses OK; Esc closes like the close box.
    static const FormDesign design{"frmOptions", "Nagwick options", FormKind::Dialog, 4680, 2085,
                               kOptionsControls, "btkOK"};
    return design;
}

}  // namespace nagwick::ui
