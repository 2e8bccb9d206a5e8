#pragma once
// Layout data of a window, as the backends turn it into real controls.
// Positions and sizes are in twips (1440 to the inch; 15 to the pixel at 96 dpi).
#include <span>
#include <string_view>

namespace nagwick::forms {

enum class ControlKind { Label, Button, CheckBox };

struct ControlDesign {
    ControlKind kind;
    std::string_view name;
    std::string_view text;
    int left;
    int top;
    int width;
    int height;
    int tabIndex;
    bool bold;
};

// Main: fixed single border, minimise box but no maximise box, in the taskbar,
// centred on the screen. Dialog: fixed dialog border, close box only, not in
// the taskbar, centred over the main window.
enum class FormKind { Main, Dialog };

struct FormDesign {
    std::string_view name;
    std::string_view caption;
    FormKind kind;
    int clientWidth;
    int clientHeight;
    std::span<const ControlDesign> controls;
    std::string_view defaultButton;  // pressed by Enter; empty when none

    const ControlDesign* Find(std::string_view controlName) const {
        for (const auto& control : controls)
            if (control.name == controlName) return &control;
        return nullptr;
    }
};

constexpr int kTwipsPerInch = 1440;

// Twips to device pixels at `dpi`, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
    return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

}  // namespace nagwick::forms
