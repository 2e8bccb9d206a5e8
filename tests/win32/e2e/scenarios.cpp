// Nagwick.exe seen from outside: its windows, keys, buttons, message boxes,
// the settings file beside it, the file manager it starts, and the end of
// the session. Each scenario starts its own copy and leaves nothing running.
#include "e2e/scenarios.h"

#include <cstdlib>
#include <iostream>

#include "e2e/nagwick_process.h"
#include "e2e/probe.h"
#include "platform/form_spec.h"
#include "ui/layouts.h"

namespace e2e {

namespace {

using nagwick::platform::ControlKind;
using nagwick::platform::FormSpec;
using nagwick::platform::TwipsToPixels;

constexpr wchar_t kWarningTitle[] = L"Remove flash drive";
constexpr wchar_t kWarningText[] = L"Remove your flash drive!";
constexpr DWORD kBoxTimeoutMs = 10000;
constexpr DWORD kExitTimeoutMs = 10000;

const std::string kNoFileManager = "[main]\r\nexplorer=false\r\n";

void Log(const std::string& line) { std::cout << line << std::endl; }

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) +
           "x" + std::to_string(r.bottom - r.top) + ")";
}

HWND Control(HWND form, const FormSpec& spec, std::string_view name) {
    const auto* control = spec.Find(name);
    Require(control != nullptr, "no control " + std::string(name) + " in the layout data");
    const HWND child = ChildWithText(form, Widen(control->text));
    Require(child != nullptr, "no control with the text \"" + std::string(control->text) + "\"");
    return child;
}

// The frame, the client area and every control as the layout data has them.
void CheckLayout(HWND form, const FormSpec& spec) {
    const int dpi = ScreenDpi();
    const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    const RECT client = ClientRect(form);
    // The test prefix has MS Sans Serif: every text fits its box as laid
    // out, so nothing grows.
    Require(client.right == px(spec.clientWidth) && client.bottom == px(spec.clientHeight),
            std::string(spec.name) + ": client area " + Describe(client) + " is not " +
                std::to_string(px(spec.clientWidth)) + "x" + std::to_string(px(spec.clientHeight)));
    for (const auto& control : spec.controls) {
        const HWND child = Control(form, spec, control.name);
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

RECT WorkArea() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

bool Near(POINT a, POINT b) { return std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1; }

void CheckFocus(HWND form, HWND expected, const std::string& what) {
    Require(WaitUntil([&] { return FocusOf(form) == expected; }, 5000),
            "the focus is on \"" + Narrow(TextOf(FocusOf(form))) + "\", not on " + what);
}

MessageBoxSeen ExpectWarning(NagwickProcess& app) {
    std::optional<MessageBoxSeen> box;
    Require(WaitUntil([&] { return (box = FindMessageBox(app.Pid(), kWarningTitle)).has_value(); }, kBoxTimeoutMs),
            "no \"Remove flash drive\" box appeared");
    // The text and icon may be drawn a moment after the box shows.
    WaitUntil(
        [&] {
            return (box = FindMessageBox(app.Pid(), kWarningTitle)) && box->text == kWarningText && box->exclamation;
        },
        2000);
    Require(box.has_value() && box->text == kWarningText, "the box says \"" + Narrow(box ? box->text : L"") + "\"");
    Require(box->exclamation, "the box does not show the exclamation icon");
    return *box;
}

void ExpectNoWarning(NagwickProcess& app, DWORD ms) {
    Require(HoldsFor([&] { return !FindMessageBox(app.Pid(), kWarningTitle); }, ms),
            "a \"Remove flash drive\" box appeared");
}

// Dismisses the warning; the program then ends, with no second box.
void DismissAndExpectEnd(NagwickProcess& app, const MessageBoxSeen& box) {
    DismissMessageBox(box.window);
    std::optional<DWORD> code;
    Require(WaitUntil(
                [&] {
                    const auto shown = FindMessageBox(app.Pid(), kWarningTitle);
                    Require(!shown || shown->window == box.window, "a second warning appeared");
                    return (code = app.WaitForExit(0)).has_value();
                },
                kExitTimeoutMs),
            "Nagwick still runs after the warning");
    Require(*code == 0, "Nagwick ended with status " + std::to_string(*code));
}

void ExpectEndWithoutWarning(NagwickProcess& app) {
    std::optional<DWORD> code;
    Require(WaitUntil(
                [&] {
                    Require(!FindMessageBox(app.Pid(), kWarningTitle), "a \"Remove flash drive\" box appeared");
                    return (code = app.WaitForExit(0)).has_value();
                },
                kExitTimeoutMs),
            "Nagwick still runs");
    Require(*code == 0, "Nagwick ended with status " + std::to_string(*code));
}

// `wineboot --end-session`: the session's end, as Windows sends it at log-off.
class SessionEnd {
public:
    SessionEnd() {
        wchar_t system[MAX_PATH];
        GetSystemDirectoryW(system, MAX_PATH);
        const std::wstring program = std::wstring(system) + L"\\wineboot.exe";
        std::wstring commandLine = L"wineboot.exe --end-session";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        Require(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process_) != FALSE,
                "could not start wineboot --end-session");
        CloseHandle(process_.hThread);
    }
    ~SessionEnd() {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hProcess);
    }
    bool Waiting() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    bool WaitForEnd(DWORD ms) const { return WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0; }

private:
    PROCESS_INFORMATION process_{};
};

// The session ends: the warning shows while the session's end still waits,
// and Nagwick ends once it is dismissed.
void EndSessionAndExpectWarning(NagwickProcess& app) {
    SessionEnd session;
    const MessageBoxSeen box = ExpectWarning(app);
    Require(session.Waiting(), "the session ended before the warning was dismissed");
    DismissAndExpectEnd(app, box);
    Require(session.WaitForEnd(20000), "the session's end did not finish");
}

HWND ClickOptions(NagwickProcess& app, HWND main) {
    Click(Control(main, nagwick::ui::MainFormSpec(), "btnOptions"));
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

void MainWindow(const Context& context) {
    NagwickProcess app(context.exe, context.work + L"\\drive", kNoFileManager);
    const HWND main = app.WaitForMainWindow();
    const auto& spec = nagwick::ui::MainFormSpec();

    const LONG_PTR style = StyleOf(main);
    Require((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU), "no title bar with a close box");
    Require((style & WS_MINIMIZEBOX) != 0, "no minimise box");
    Require((style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0, "a maximise box or a sizing border");
    Require(GetWindow(main, GW_OWNER) == nullptr, "the main window has an owner (and no taskbar button)");
    CheckLayout(main, spec);
    Require(Near(Centre(WindowRect(main)), Centre(WorkArea())), "the main window is not centred: " +
                                                                      Describe(WindowRect(main)));

    const HWND exit = Control(main, spec, "btnExit");
    const HWND hide = Control(main, spec, "btnHide");
    const HWND options = Control(main, spec, "btnOptions");
    CheckFocus(main, exit, "Exit");
    Require(GetNextDlgTabItem(main, exit, FALSE) == hide && GetNextDlgTabItem(main, hide, FALSE) == options &&
                GetNextDlgTabItem(main, options, FALSE) == exit,
            "the tab order is not Exit, Hide, Options");

    // Tab and the arrow keys move the focus as in a dialog.
    PressKey(exit, VK_TAB);
    CheckFocus(main, hide, "Hide after Tab");
    PressKey(hide, VK_TAB);
    CheckFocus(main, options, "Options after Tab");
    PressKey(options, VK_TAB);
    CheckFocus(main, exit, "Exit after Tab");
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
    ExpectEndWithoutWarning(app);
}

void ExitButton(const Context& context) {
    NagwickProcess app(context.exe, context.work + L"\\drive", kNoFileManager);
    const HWND main = app.WaitForMainWindow();
    Click(Control(main, nagwick::ui::MainFormSpec(), "btnExit"));
    ExpectEndWithoutWarning(app);
}

void CloseBox(const Context& context) {
    NagwickProcess app(context.exe, context.work + L"\\drive", kNoFileManager);
    const HWND main = app.WaitForMainWindow();
    PostSysCommand(main, SC_CLOSE);
    const MessageBoxSeen box = ExpectWarning(app);
    Require(IsWindow(main) != FALSE, "the main window went before the warning");
    DismissAndExpectEnd(app, box);
}

void HideButton(const Context& context) {
    NagwickProcess app(context.exe, context.work + L"\\drive", kNoFileManager);
    const HWND main = app.WaitForMainWindow();
    Click(Control(main, nagwick::ui::MainFormSpec(), "btnHide"));
    Require(WaitUntil([&] { return !IsWindowVisible(main); }, 5000), "Hide left the window on screen");
    ExpectNoWarning(app, 500);
    Require(app.Running(), "Hide ended the program");
    EndSessionAndExpectWarning(app);
}

void SessionEndShown(const Context& context) {
    NagwickProcess app(context.exe, context.work + L"\\drive", kNoFileManager);
    const HWND main = app.WaitForMainWindow();
    SessionEnd session;
    const MessageBoxSeen box = ExpectWarning(app);
    Require(session.Waiting(), "the session ended before the warning was dismissed");
    Require(IsWindow(main) != FALSE, "the main window went before the warning");
    DismissAndExpectEnd(app, box);
    Require(session.WaitForEnd(20000), "the session's end did not finish");
}

void SessionEndMinimized(const Context& context) {
    NagwickProcess app(context.exe, context.work + L"\\drive", kNoFileManager + "start=minimized\r\n");
    const HWND main = app.WaitForMainWindow();
    Require(WaitUntil([&] { return IsIconic(main) != FALSE; }, 5000), "\"start=minimized\" did not minimise");
    EndSessionAndExpectWarning(app);
}

void SessionEndWithOptionsOpen(const Context& context) {
    NagwickProcess app(context.exe, context.work + L"\\drive", kNoFileManager);
    const HWND main = app.WaitForMainWindow();
    const HWND options = ClickOptions(app, main);
    SessionEnd session;
    const MessageBoxSeen box = ExpectWarning(app);
    Require(!IsWindow(options), "the options dialog is still there under the warning");
    Require(session.Waiting(), "the session ended before the warning was dismissed");
    DismissAndExpectEnd(app, box);
    Require(session.WaitForEnd(20000), "the session's end did not finish");
}

void OptionsDialog(const Context& context) {
    NagwickProcess app(context.exe, context.work + L"\\drive", kNoFileManager);
    const HWND main = app.WaitForMainWindow();
    const auto& spec = nagwick::ui::OptionsFormSpec();
    const std::wstring settings = app.SettingsPath();

    HWND dialog = ClickOptions(app, main);
    const LONG_PTR style = StyleOf(dialog);
    Require((style & WS_SYSMENU) && (style & WS_CAPTION) == WS_CAPTION, "the dialog has no close box");
    Require((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0,
            "the dialog has a minimise or maximise box, or a sizing border");
    Require((ExStyleOf(dialog) & WS_EX_DLGMODALFRAME) != 0, "the dialog has no dialog frame");
    Require(GetWindow(dialog, GW_OWNER) == main, "the dialog is not owned by the main window (so in the taskbar)");
    Require(!IsWindowEnabled(main), "the main window takes input while the dialog is open");
    Require(Near(Centre(WindowRect(dialog)), Centre(WindowRect(main))), "the dialog is not centred over the main window");
    CheckLayout(dialog, spec);

    const HWND explorer = Control(dialog, spec, "chkExplorer");
    const HWND start = Control(dialog, spec, "chkStartState");
    const HWND ok = Control(dialog, spec, "btkOK");
    const HWND cancel = Control(dialog, spec, "btnCancel");
    CheckFocus(dialog, explorer, "the first check box");
    Require(GetNextDlgTabItem(dialog, explorer, FALSE) == start && GetNextDlgTabItem(dialog, start, FALSE) == cancel &&
                GetNextDlgTabItem(dialog, cancel, FALSE) == ok && GetNextDlgTabItem(dialog, ok, FALSE) == explorer,
            "the tab order is not chkExplorer, chkStartState, Cancel, OK");
    Require(!Checked(explorer) && !Checked(start), "the boxes don't show \"false\" and \"normal\"");

    // Modal: the main window's buttons and close box do nothing meanwhile.
    Click(Control(main, nagwick::ui::MainFormSpec(), "btnExit"));
    PostSysCommand(main, SC_CLOSE);
    ExpectNoWarning(app, 700);
    Require(app.Running() && IsWindow(dialog), "the main window acted while the dialog was open");

    // OK writes both keys into the file beside the program.
    Click(start);
    Require(WaitUntil([&] { return Checked(start); }, 2000), "the check box did not check");
    Click(ok);
    ExpectOptionsClosed(app, main);
    Require(ReadSetting(settings, L"explorer") == "false" && ReadSetting(settings, L"start") == "minimized",
            "OK wrote explorer=" + ReadSetting(settings, L"explorer") + ", start=" + ReadSetting(settings, L"start"));
    const std::string written = ReadWholeFile(settings);

    // Esc closes the dialog like its close box: nothing written.
    dialog = ClickOptions(app, main);
    Require(Checked(Control(dialog, spec, "chkStartState")), "the dialog does not show start=minimized");
    Click(Control(dialog, spec, "chkExplorer"));
    PressKey(Control(dialog, spec, "chkExplorer"), VK_ESCAPE);
    ExpectOptionsClosed(app, main);
    Require(ReadWholeFile(settings) == written, "Esc changed the settings file");

    // Cancel and the close box write nothing.
    dialog = ClickOptions(app, main);
    Click(Control(dialog, spec, "chkExplorer"));
    Click(Control(dialog, spec, "btnCancel"));
    ExpectOptionsClosed(app, main);
    dialog = ClickOptions(app, main);
    Click(Control(dialog, spec, "chkExplorer"));
    PostSysCommand(dialog, SC_CLOSE);
    ExpectOptionsClosed(app, main);
    Require(ReadWholeFile(settings) == written, "Cancel or the close box changed the settings file");

    // Enter on a check box presses OK, the default button.
    dialog = ClickOptions(app, main);
    const HWND explorerBox = Control(dialog, spec, "chkExplorer");
    Click(explorerBox);
    Require(WaitUntil([&] { return Checked(explorerBox); }, 2000), "the check box did not check");
    CheckFocus(dialog, explorerBox, "the clicked check box");
    PressKey(explorerBox, VK_RETURN);
    ExpectOptionsClosed(app, main);
    Require(ReadSetting(settings, L"explorer") == "true", "Enter did not press OK");

    // Enter on the focused Cancel button presses Cancel.
    dialog = ClickOptions(app, main);
    const HWND first = Control(dialog, spec, "chkExplorer");
    Click(first);  // unchecked now: OK would write "false"
    CheckFocus(dialog, first, "the clicked check box");
    PressKey(first, VK_TAB);
    PressKey(first, VK_TAB);
    CheckFocus(dialog, Control(dialog, spec, "btnCancel"), "Cancel after two Tabs");
    PressKey(Control(dialog, spec, "btnCancel"), VK_RETURN);
    ExpectOptionsClosed(app, main);
    Require(ReadSetting(settings, L"explorer") == "true", "Enter on Cancel wrote the settings");

    ExpectNoWarning(app, 100);
    Click(Control(main, nagwick::ui::MainFormSpec(), "btnExit"));
    ExpectEndWithoutWarning(app);
}

// The settings file can't be written (a folder stands in its place): the
// program says so, and keeps running.
void WriteFailure(const Context& context) {
    const std::wstring folder = context.work + L"\\drive";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\nagwick.ini").c_str(), nullptr);
    NagwickProcess app(context.exe, folder, std::nullopt);
    const HWND main = app.WaitForMainWindow();
    const HWND dialog = ClickOptions(app, main);
    Click(Control(dialog, nagwick::ui::OptionsFormSpec(), "btkOK"));
    std::optional<MessageBoxSeen> box;
    Require(WaitUntil([&] { return (box = FindMessageBox(app.Pid(), L"Nagwick")) && !box->text.empty(); }, kBoxTimeoutMs),
            "no box said that the settings could not be written");
    Require(box->text.starts_with(L"Your choices could not be saved to \""),
            "the box says \"" + Narrow(box->text) + "\"");
    Log("reported: " + Narrow(box->text));
    DismissMessageBox(box->window);
    ExpectOptionsClosed(app, main);
    Require(app.Running(), "the failed write ended the program");
    Click(Control(main, nagwick::ui::MainFormSpec(), "btnExit"));
    ExpectEndWithoutWarning(app);
}

// The file manager's window on `title`, when one is open.
HWND FileManagerWindow(const std::wstring& title) {
    for (HWND window : TopWindowsOfClass(L"ExplorerWClass"))
        if (IsWindowVisible(window) && TextOf(window) == title) return window;
    return nullptr;
}

void ExpectFileManagerOn(const std::wstring& title) {
    HWND window = nullptr;
    Require(WaitUntil([&] { return (window = FileManagerWindow(title)) != nullptr; }, 20000),
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
    Click(Control(main, nagwick::ui::MainFormSpec(), "btnExit"));
    ExpectEndWithoutWarning(app);
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
        Click(Control(dialog, nagwick::ui::OptionsFormSpec(), "chkStartState"));
        Click(Control(dialog, nagwick::ui::OptionsFormSpec(), "btkOK"));
        ExpectOptionsClosed(app, main);
        Require(ReadSetting(L"R:\\nagwick.ini", L"start") == "normal", "OK did not write R:\\nagwick.ini");
        Click(Control(main, nagwick::ui::MainFormSpec(), "btnExit"));
        ExpectEndWithoutWarning(app);
    }
    NagwickProcess app(context.exe, L"R:", std::nullopt);
    const HWND main = app.WaitForMainWindow();
    ExpectFileManagerOn(L" (R:)");
    Click(Control(main, nagwick::ui::MainFormSpec(), "btnExit"));
    ExpectEndWithoutWarning(app);
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
    for (const Scenario& scenario : kScenarios) {
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
    std::string known;
    for (const Scenario& scenario : kScenarios) known += std::string(" ") + scenario.name;
    Log("unknown scenario " + std::string(name) + "; known:" + known);
    return 2;
}

std::vector<std::string> ScenarioNames() {
    std::vector<std::string> names;
    for (const Scenario& scenario : kScenarios) names.emplace_back(scenario.name);
    return names;
}

}  // namespace e2e
