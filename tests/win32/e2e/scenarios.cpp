// Nagwick.exe seen from outside: its windows, keys, buttons, message boxes,
// the settings file beside it, the file manager it starts, and the end of
// the session. Each scenario starts its own copy and leaves nothing running.
#include "e2e/scenarios.h"

#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>

#include "e2e/nagwick_process.h"
#include "e2e/probe.h"
#include "platform/form_design.h"
#include "ui/layouts.h"

namespace e2e {

namespace {

using nagwick::platform::ControlKind;
using nagwick::platform::FormDesign;
using nagwick::platform::TwipsToPixels;

constexpr wchar_t kWarningTitle[] = L"Remove flash drive";
constexpr wchar_t kWarningText[] = L"Remove your flash drive!";
const std::string kNoFileManager = "[main]\r\nexplorer=false\r\n";

void Log(const std::string& line) { std::cout << line << std::endl; }

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) +
           "x" + std::to_string(r.bottom - r.top) + ")";
}

HWND Control(HWND form, const FormDesign& design, std::string_view name) {
    const auto* control = design.Find(name);
    Require(control != nullptr, "no control " + std::string(name) + " in the layout data");
    const HWND child = ChildWithText(form, Widen(control->text));
    Require(child != nullptr, "no control with the text \"" + std::string(control->text) + "\"");
    return child;
}
HWND MainControl(HWND main, std::string_view name) { return Control(main, nagwick::ui::MainFormDesign(), name); }
HWND OptionsControl(HWND dialog, std::string_view name) { return Control(dialog, nagwick::ui::OptionsFormDesign(), name); }

// The frame, the client area and every control as the layout data has them.
void CheckLayout(HWND form, const FormDesign& design) {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    // The test prefix has MS Sans Serif: every text fits its box as laid
    // out, so nothing grows.
    const RECT client = ClientRect(form);
    const RECT laidOut{0, 0, px(design.clientWidth), px(design.clientHeight)};
    Require(EqualRect(&client, &laidOut) != FALSE,
            std::string(design.name) + ": client area " + Describe(client) + " is not " + Describe(laidOut));
    for (const auto& control : design.controls) {
        const HWND child = Control(form, design, control.name);
        const std::string name(control.name);
        Require(IsWindowVisible(child) != FALSE, name + " is not visible");
        const bool isLabel = control.kind == ControlKind::Label;
        Require(ClassOf(child) == (isLabel ? L"Static" : L"Button"), name + " is a " + Narrow(ClassOf(child)));
        if (isLabel) Require((StyleOf(child) & SS_NOPREFIX) != 0, name + " would show & as an access key");
        const RECT box = RectInParent(child);
        const RECT expected{px(control.left), px(control.top), px(control.left + control.width),
                            px(control.top + control.height)};
        Require(EqualRect(&box, &expected) != FALSE,
                name + " is at " + Describe(box) + ", not at " + Describe(expected));
    }
}

void CheckCentred(HWND window, const RECT& over, const std::string& what) {
    const POINT a = Centre(WindowRect(window)), b = Centre(over);
    Require(std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1,
            what + " is not centred: " + Describe(WindowRect(window)));
}

void CheckFocus(HWND form, HWND expected, const std::string& what) {
    Require(WaitUntil([&] { return FocusOf(form) == expected; }, 5000),
            "the focus is on \"" + Narrow(TextOf(FocusOf(form))) + "\", not on " + what);
}

// Tab from each control in `order` (the first has the focus) moves on to the next, and round.
void CheckTabOrder(HWND form, const std::vector<HWND>& order) {
    for (std::size_t i = 0; i < order.size(); ++i) {
        PressKey(order[i], VK_TAB);
        const HWND next = order[(i + 1) % order.size()];
        CheckFocus(form, next, "\"" + Narrow(TextOf(next)) + "\" after Tab");
    }
}

MessageBoxSeen ExpectWarning(NagwickProcess& app) {
    std::optional<MessageBoxSeen> box;
    Require(WaitUntil([&] { return (box = FindMessageBox(app.Pid(), kWarningTitle)).has_value(); }, 10000),
            "no \"Remove flash drive\" box appeared");
    // The text and icon may be drawn a moment after the box shows.
    WaitUntil([&] { return (box = FindMessageBox(app.Pid(), kWarningTitle)) && box->text == kWarningText && box->exclamation; },
              2000);
    Require(box && box->text == kWarningText, "the box says \"" + Narrow(box ? box->text : L"") + "\"");
    Require(box->exclamation, "the box does not show the exclamation icon");
    return *box;
}

void ExpectNoWarning(NagwickProcess& app, DWORD ms) {
    Require(HoldsFor([&] { return !FindMessageBox(app.Pid(), kWarningTitle); }, ms),
            "a \"Remove flash drive\" box appeared");
}

// The program ends, with status 0 and no warning; or, when `shown` is the
// warning on screen, once it is dismissed, with no second one.
void ExpectEnd(NagwickProcess& app, const MessageBoxSeen* shown = nullptr) {
    if (shown) DismissMessageBox(shown->window);
    std::optional<DWORD> code;
    Require(WaitUntil(
                [&] {
                    const auto box = FindMessageBox(app.Pid(), kWarningTitle);
                    Require(!box || (shown && box->window == shown->window),
                            shown ? "a second warning appeared" : "a \"Remove flash drive\" box appeared");
                    return (code = app.WaitForExit(0)).has_value();
                },
                10000),
            "Nagwick still runs");
    Require(*code == 0, "Nagwick ended with status " + std::to_string(*code));
}

void ExitByButton(NagwickProcess& app, HWND main) {
    Click(MainControl(main, "btnExit"));
    ExpectEnd(app);
}

// The session ends (`wineboot --end-session`, as Windows at log-off): the
// warning shows while the session's end still waits, `whileShown` checks
// what else is on screen then, and Nagwick ends once it is dismissed.
void EndSessionAndExpectWarning(NagwickProcess& app, const std::function<void()>& whileShown = [] {}) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring commandLine = L"wineboot.exe --end-session";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION session{};
    Require(CreateProcessW((std::wstring(system) + L"\\wineboot.exe").c_str(), commandLine.data(), nullptr, nullptr,
                           FALSE, 0, nullptr, nullptr, &startup, &session) != FALSE,
            "could not start wineboot --end-session");
    CloseHandle(session.hThread);
    const std::unique_ptr<void, void (*)(HANDLE)> ending(session.hProcess, [](HANDLE process) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 1);
        CloseHandle(process);
    });

    const MessageBoxSeen box = ExpectWarning(app);
    Require(WaitForSingleObject(session.hProcess, 0) == WAIT_TIMEOUT,
            "the session ended before the warning was dismissed");
    whileShown();
    ExpectEnd(app, &box);
    Require(WaitForSingleObject(session.hProcess, 20000) == WAIT_OBJECT_0, "the session's end did not finish");
}

HWND ClickOptions(NagwickProcess& app, HWND main) {
    Click(MainControl(main, "btnOptions"));
    return app.WaitForOptions();
}

void ExpectOptionsClosed(NagwickProcess& app, HWND main) {
    Require(WaitUntil([&] { return !app.Options(); }, 5000), "the options dialog is still open");
    Require(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, 2000), "the main window stays disabled");
}

bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::string ReadSetting(const std::wstring& file, const wchar_t* key) {
    wchar_t value[64] = L"";
    GetPrivateProfileStringW(L"main", key, L"(none)", value, 64, file.c_str());
    return Narrow(value);
}

// ---- Scenarios ------------------------------------------------------------

NagwickProcess Start(const Context& context, const std::string& settings = kNoFileManager) {
    return NagwickProcess(context.exe, context.work + L"\\drive", settings);
}

void MainWindow(const Context& context) {
    NagwickProcess app = Start(context);
    const HWND main = app.WaitForMainWindow();
    const LONG_PTR style = StyleOf(main);
    Require((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU), "no title bar with a close box");
    Require((style & WS_MINIMIZEBOX) != 0, "no minimise box");
    Require((style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0, "a maximise box or a sizing border");
    Require(GetWindow(main, GW_OWNER) == nullptr, "the main window has an owner (and no taskbar button)");
    CheckLayout(main, nagwick::ui::MainFormDesign());
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    CheckCentred(main, workArea, "the main window");

    // Tab and the arrow keys move the focus as in a dialog.
    const HWND exit = MainControl(main, "btnExit");
    const HWND hide = MainControl(main, "btnHide");
    CheckFocus(main, exit, "Exit");
    CheckTabOrder(main, {exit, hide, MainControl(main, "btnOptions")});
    PressKey(exit, VK_RIGHT);
    CheckFocus(main, hide, "Hide after the right arrow");
    PressKey(hide, VK_LEFT);
    CheckFocus(main, exit, "Exit after the left arrow");
    // Esc does nothing in the main window.
    PressKey(exit, VK_ESCAPE);
    ExpectNoWarning(app, 500);
    Require(app.Running() && IsWindowVisible(main), "Esc closed the main window");
    // Enter presses the focused button: Exit, which ends at once.
    PressKey(exit, VK_RETURN);
    ExpectEnd(app);
}

void ExitButton(const Context& context) {
    NagwickProcess app = Start(context);
    ExitByButton(app, app.WaitForMainWindow());
}

void CloseBox(const Context& context) {
    NagwickProcess app = Start(context);
    const HWND main = app.WaitForMainWindow();
    PostSysCommand(main, SC_CLOSE);
    const MessageBoxSeen box = ExpectWarning(app);
    Require(IsWindow(main) != FALSE, "the main window went before the warning");
    ExpectEnd(app, &box);
}

void HideButton(const Context& context) {
    NagwickProcess app = Start(context);
    const HWND main = app.WaitForMainWindow();
    Click(MainControl(main, "btnHide"));
    Require(WaitUntil([&] { return !IsWindowVisible(main); }, 5000), "Hide left the window on screen");
    ExpectNoWarning(app, 500);
    Require(app.Running(), "Hide ended the program");
    EndSessionAndExpectWarning(app);
}

void SessionEndShown(const Context& context) {
    NagwickProcess app = Start(context);
    const HWND main = app.WaitForMainWindow();
    EndSessionAndExpectWarning(app, [&] { Require(IsWindow(main) != FALSE, "the main window went before the warning"); });
}

void SessionEndMinimized(const Context& context) {
    NagwickProcess app = Start(context, kNoFileManager + "start=minimized\r\n");
    const HWND main = app.WaitForMainWindow();
    Require(WaitUntil([&] { return IsIconic(main) != FALSE; }, 5000), "\"start=minimized\" did not minimise");
    EndSessionAndExpectWarning(app);
}

void SessionEndWithOptionsOpen(const Context& context) {
    NagwickProcess app = Start(context);
    const HWND options = ClickOptions(app, app.WaitForMainWindow());
    EndSessionAndExpectWarning(
        app, [&] { Require(!IsWindow(options), "the options dialog is still there under the warning"); });
}

void OptionsDialog(const Context& context) {
    NagwickProcess app = Start(context);
    const HWND main = app.WaitForMainWindow();
    const std::wstring settings = app.SettingsPath();

    HWND dialog = ClickOptions(app, main);
    const LONG_PTR style = StyleOf(dialog);
    Require((style & WS_SYSMENU) && (style & WS_CAPTION) == WS_CAPTION, "the dialog has no close box");
    Require((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0,
            "the dialog has a minimise or maximise box, or a sizing border");
    Require((GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME) != 0, "the dialog has no dialog frame");
    Require(GetWindow(dialog, GW_OWNER) == main, "the dialog is not owned by the main window (so in the taskbar)");
    Require(!IsWindowEnabled(main), "the main window takes input while the dialog is open");
    CheckCentred(dialog, WindowRect(main), "the dialog over the main window");
    CheckLayout(dialog, nagwick::ui::OptionsFormDesign());

    const HWND explorer = OptionsControl(dialog, "chkExplorer");
    const HWND start = OptionsControl(dialog, "chkStartState");
    CheckFocus(dialog, explorer, "the first check box");
    CheckTabOrder(dialog, {explorer, start, OptionsControl(dialog, "btnCancel"), OptionsControl(dialog, "btkOK")});
    Require(!Checked(explorer) && !Checked(start), "the boxes don't show \"false\" and \"normal\"");

    // Modal: the main window's buttons and close box do nothing meanwhile.
    Click(MainControl(main, "btnExit"));
    PostSysCommand(main, SC_CLOSE);
    ExpectNoWarning(app, 700);
    Require(app.Running() && IsWindow(dialog), "the main window acted while the dialog was open");

    // OK writes both keys into the file beside the program.
    Click(start);
    Require(WaitUntil([&] { return Checked(start); }, 2000), "the check box did not check");
    Click(OptionsControl(dialog, "btkOK"));
    ExpectOptionsClosed(app, main);
    Require(ReadSetting(settings, L"explorer") == "false" && ReadSetting(settings, L"start") == "minimized",
            "OK wrote explorer=" + ReadSetting(settings, L"explorer") + ", start=" + ReadSetting(settings, L"start"));
    const std::string written = ReadWholeFile(settings);

    // Esc, Cancel and the close box close the dialog and write nothing.
    const std::pair<const char*, void (*)(HWND)> dismissals[] = {
        {"Esc", [](HWND d) { PressKey(OptionsControl(d, "chkExplorer"), VK_ESCAPE); }},
        {"Cancel", [](HWND d) { Click(OptionsControl(d, "btnCancel")); }},
        {"the close box", [](HWND d) { PostSysCommand(d, SC_CLOSE); }},
    };
    for (const auto& [way, dismiss] : dismissals) {
        dialog = ClickOptions(app, main);
        Require(Checked(OptionsControl(dialog, "chkStartState")), "the dialog does not show start=minimized");
        Click(OptionsControl(dialog, "chkExplorer"));
        dismiss(dialog);
        ExpectOptionsClosed(app, main);
        Require(ReadWholeFile(settings) == written, std::string(way) + " changed the settings file");
    }

    // Enter on a check box presses OK, the default button (explorer becomes
    // "true"); Enter on Cancel, focused by two Tabs, presses Cancel (OK
    // would write it back to "false").
    for (const int tabs : {0, 2}) {
        dialog = ClickOptions(app, main);
        const HWND box = OptionsControl(dialog, "chkExplorer");
        Click(box);
        CheckFocus(dialog, box, "the clicked check box");
        for (int i = 0; i < tabs; ++i) PressKey(box, VK_TAB);
        if (tabs) CheckFocus(dialog, OptionsControl(dialog, "btnCancel"), "Cancel after two Tabs");
        PressKey(FocusOf(dialog), VK_RETURN);
        ExpectOptionsClosed(app, main);
        Require(ReadSetting(settings, L"explorer") == "true", tabs ? "Enter on Cancel wrote the settings" : "Enter did not press OK");
    }
    ExitByButton(app, main);
}

// The settings file can't be written (a folder stands in its place): the
// program says so, and keeps running.
void WriteFailure(const Context& context) {
    const std::wstring folder = context.work + L"\\drive";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\nagwick.ini").c_str(), nullptr);
    NagwickProcess app(context.exe, folder, std::nullopt);
    const HWND main = app.WaitForMainWindow();
    Click(OptionsControl(ClickOptions(app, main), "btkOK"));
    std::optional<MessageBoxSeen> box;
    Require(WaitUntil([&] { return (box = FindMessageBox(app.Pid(), L"Nagwick")) && !box->text.empty(); }, 10000),
            "no box said that the settings could not be written");
    Require(box->text.starts_with(L"Your choices could not be saved to \""),
            "the box says \"" + Narrow(box->text) + "\"");
    Log("reported: " + Narrow(box->text));
    DismissMessageBox(box->window);
    ExpectOptionsClosed(app, main);
    Require(app.Running(), "the failed write ended the program");
    ExitByButton(app, main);
}

// A file manager's window on `title` appears; closes it.
void ExpectFileManagerOn(const std::wstring& title) {
    HWND window = nullptr;
    Require(WaitUntil(
                [&] {
                    for (HWND w : TopWindows(0, L"ExplorerWClass", title.c_str()))
                        if (IsWindowVisible(w)) window = w;
                    return window != nullptr;
                },
                20000),
            "no file manager window on \"" + Narrow(title) + "\"");
    PostMessageW(window, WM_CLOSE, 0, 0);
    WaitUntil([&] { return !IsWindow(window); }, 5000);
}

// A folder with a blank and a comma: the file manager opens that folder.
void FileManager(const Context& context) {
    const std::wstring name = L"drive one, two";
    NagwickProcess app(context.exe, context.work + L"\\" + name, std::nullopt);
    const HWND main = app.WaitForMainWindow();
    ExpectFileManagerOn(name);
    ExitByButton(app, main);
}

// From the root of drive R: the settings file is "R:\\nagwick.ini" and the
// file manager opens the root.
void RootFolder(const Context& context) {
    {
        NagwickProcess app(context.exe, L"R:", kNoFileManager + "start=minimized\r\n");
        const HWND main = app.WaitForMainWindow();
        Require(WaitUntil([&] { return IsIconic(main) != FALSE; }, 5000),
                "the settings at the root were not read: not minimised");
        const HWND dialog = ClickOptions(app, main);
        Click(OptionsControl(dialog, "chkStartState"));
        Click(OptionsControl(dialog, "btkOK"));
        ExpectOptionsClosed(app, main);
        Require(ReadSetting(L"R:\\nagwick.ini", L"start") == "normal", "OK did not write R:\\nagwick.ini");
        ExitByButton(app, main);
    }
    NagwickProcess app(context.exe, L"R:", std::nullopt);
    const HWND main = app.WaitForMainWindow();
    ExpectFileManagerOn(L" (R:)");
    ExitByButton(app, main);
}

struct Scenario {
    const char* name;
    void (*run)(const Context&);
};

constexpr Scenario kScenarios[] = {
    {"main-window", MainWindow},
    {"exit", ExitButton},
    {"close-box", CloseBox},
    {"hide-then-session-end", HideButton},
    {"session-end-shown", SessionEndShown},
    {"session-end-minimized", SessionEndMinimized},
    {"session-end-options-open", SessionEndWithOptionsOpen},
    {"options-dialog", OptionsDialog},
    {"write-failure", WriteFailure},
    {"file-manager", FileManager},
    {"root-folder", RootFolder},
};

}  // namespace

int RunScenario(std::string_view name, const Context& context) {
    std::string known;
    for (const Scenario& scenario : kScenarios) {
        known += std::string(" ") + scenario.name;
        if (name != scenario.name) continue;
        try {
            scenario.run(context);
            Log(std::string("PASS ") + scenario.name);
            return 0;
        } catch (const Failure& failure) {
            Log(std::string("FAIL ") + scenario.name + ": " + failure.what());
            return 1;
        }
    }
    Log("unknown scenario " + std::string(name) + "; known:" + known);
    return 2;
}

}  // namespace e2e
