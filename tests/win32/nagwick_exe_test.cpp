// Nagwick.exe from outside, in the Wine session, as the user and the system
// meet it: keys and focus through the dialog manager, message boxes, the
// session's end, the file manager it starts, the settings file beside it.
// Each test runs its own copy of the program from a folder of its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <process.h>

#include "platform/win32/wide_text.h"
#include "support/temp_folder.h"

namespace nagwick::test {
namespace {

namespace fs = std::filesystem;
using platform::win32::Narrow;

void Require(bool ok, const std::string& what) { if (!ok) throw std::runtime_error(what); }

// Waits until `ready` holds; fails with `what` after `ms`.
void Within(const std::function<bool()>& ready, const std::string& what, DWORD ms = 10000) {
    for (const ULONGLONG end = GetTickCount64() + ms; !ready(); Sleep(20)) Require(GetTickCount64() < end, what);
}

// The window of this class and title, once it is on screen.
HWND Await(const wchar_t* windowClass, const wchar_t* title, DWORD ms = 10000) {
    HWND window = nullptr;
    Within([&] { return IsWindowVisible(window = FindWindowW(windowClass, title)); }, "no window " + Narrow(title), ms);
    return window;
}

HWND Control(HWND form, const wchar_t* text) {
    const HWND control = FindWindowExW(form, nullptr, nullptr, text);
    return Require(control != nullptr, "no control \"" + Narrow(text) + "\""), control;
}

// Keys reach it only while its form is active (the thread may still name a
// focus it had before another program took over).
HWND FocusOf(HWND form) {
    GUITHREADINFO info{sizeof info};
    GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info);
    return info.hwndActive == form ? info.hwndFocus : nullptr;
}

void ExpectFocus(HWND form, const wchar_t* control) {
    Within([&] { return FocusOf(form) == Control(form, control); }, "the focus is not on " + Narrow(control));
}

// Pressed where the focus is, as on the keyboard.
void Key(HWND form, UINT key) {
    const HWND focus = FocusOf(form);
    PostMessageW(focus, WM_KEYDOWN, key, 1), PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
}

void Click(HWND control) { PostMessageW(control, BM_CLICK, 0, 0); }
// The file manager's window on `folder`, closed; once it is gone, Nagwick is active again.
void CloseFileManager(const wchar_t* folder) {
    const HWND window = Await(L"ExplorerWClass", folder, 20000);
    PostMessageW(window, WM_CLOSE, 0, 0);
    Within([&] { return !IsWindow(window); }, "the file manager stays open");
}
void Close(HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }
void Dismiss(HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); }

std::string BoxText(HWND box) {
    wchar_t text[256] = L"";
    for (HWND child = nullptr; !*text && (child = FindWindowExW(box, child, L"Static", nullptr));)
        GetWindowTextW(child, text, 256);
    return Narrow(text);
}

// A process, ended with this object if it still runs.
struct ProcessEnd {
    void operator()(HANDLE process) const { TerminateProcess(process, 99), CloseHandle(process); }
};
using Process = std::unique_ptr<void, ProcessEnd>;
Process Start(const std::wstring& program, const wchar_t* argument = nullptr) {
    const std::wstring quoted = L"\"" + program + L"\"";
    const intptr_t process = _wspawnlp(_P_NOWAIT, program.c_str(), quoted.c_str(), argument, nullptr);
    return Require(process != -1, "could not start " + Narrow(program)), Process(reinterpret_cast<HANDLE>(process));
}
DWORD Status(const Process& process, DWORD ms = 0) {  // STILL_ACTIVE while it runs
    DWORD status = STILL_ACTIVE;
    return WaitForSingleObject(process.get(), ms), GetExitCodeProcess(process.get(), &status), status;
}
// How many Nagwick main windows are on screen.
int MainWindows() {
    int shown = 0;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"NagwickForm", L"Nagwick"));) shown += IsWindowVisible(w);
    return shown;
}

constexpr wchar_t kWarning[] = L"Remove flash drive";
const std::string kNoFileManager = "[main]\r\nexplorer=false\r\n";
constexpr wchar_t kExplorerBox[] = L"Open flash drive to view files when this program runs";
constexpr wchar_t kStartBox[] = L"Start this program minimized";

class NagwickExe : public ::testing::Test {
protected:
    // Runs a copy of Nagwick.exe in `folder` with `settings` as its
    // nagwick.ini, or none, until its main window is on screen.
    void Run(const std::optional<std::string>& settings = kNoFileManager, const fs::path& in = {}) {
        folder = in.empty() ? temp.path : in;
        ini = folder / "nagwick.ini";
        Require(CopyFileW(L"Z:" NAGWICK_EXE, (folder / "Nagwick.exe").c_str(), FALSE), "could not copy Nagwick.exe");
        fs::remove(ini);
        if (settings) WriteFile(ini, *settings);
        nagwick = Start((folder / "Nagwick.exe").wstring());  // from elsewhere: it finds its folder by itself
        main = Await(L"NagwickForm", L"Nagwick", 30000);
    }

    HWND OpenOptions() { return Click(Control(main, L"Options")), Await(L"NagwickForm", L"Nagwick options"); }
    void ExpectOptionsClosed() {
        Within([&] { return !FindWindowW(L"NagwickForm", L"Nagwick options") && IsWindowEnabled(main); },
               "the options dialog is still open");
    }
    HWND Warning() {
        const HWND box = Await(L"#32770", kWarning);
        return Within([&] { return BoxText(box) == "Remove your flash drive!"; }, "the warning says " + BoxText(box)), box;
    }
    // Nagwick ends with status 0, showing no warning but `dismissed`.
    void ExpectEnd(HWND dismissed = nullptr) {
        if (dismissed) Dismiss(dismissed);
        Within([&] {
            const HWND box = FindWindowW(L"#32770", kWarning);
            Require(!box || box == dismissed, dismissed ? "a second warning came" : "a warning came");
            return Status(nagwick) != STILL_ACTIVE;
        }, "Nagwick still runs");
        EXPECT_EQ(Status(nagwick), 0u);
    }
    // The session ends as at log-off: the warning is on screen while the end
    // waits, and once it is dismissed Nagwick ends and the session's end goes on.
    void EndSession() {
        const Process session = Start(L"wineboot.exe", L"--end-session");
        const HWND box = Warning();
        Require(Status(session) == STILL_ACTIVE, "the session's end did not wait for the warning");
        ExpectEnd(box);
        EXPECT_EQ(Status(session, 20000), 0u) << "the session's end did not go on";
    }

    TempFolder temp;
    fs::path folder, ini;
    Process nagwick;
    HWND main = nullptr;
};

// Started minimised and restored as the taskbar does, as if started normally.
TEST_F(NagwickExe, MainWindowKeys) {
    Run(kNoFileManager + "start=minimized\r\n");
    Within([&] { return IsIconic(main); }, "not minimised");
    PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    for (const auto& [key, focus] : std::initializer_list<std::pair<UINT, const wchar_t*>>{
             {0, L"Exit"}, {VK_TAB, L"Hide"}, {VK_TAB, L"Options"}, {VK_TAB, L"Exit"}, {VK_RIGHT, L"Hide"},
             {VK_LEFT, L"Exit"}, {VK_ESCAPE, L"Exit"}, {VK_RIGHT, L"Hide"}}) {
        if (key) Key(main, key);
        ExpectFocus(main, focus);
    }
    Require(IsWindowVisible(main) && !FindWindowW(L"#32770", kWarning), "Esc closed the main window");
    Key(main, VK_RETURN);  // presses the focused button, Hide
    Within([&] { return !IsWindowVisible(main); }, "Enter on Hide left the window on screen");
    EndSession();
}

TEST_F(NagwickExe, OptionsDialog) {
    const std::string file = "; mine\n\n[other]\n  keep = this\n\n[main]\nexplorer=false\nstart=normal\n; end\n";
    Run(file);
    // Esc, the close box, Enter on Cancel (two Tabs on): nothing written, the focus back on Options.
    for (const auto& cancel : std::initializer_list<std::function<void(HWND)>>{
             [](HWND d) { Key(d, VK_ESCAPE); }, [](HWND d) { Close(d); },
             [](HWND d) { Key(d, VK_TAB); Key(d, VK_TAB); Key(d, VK_RETURN); }}) {
        const HWND dialog = OpenOptions();
        Require(!IsWindowEnabled(main), "the main window takes input while the dialog is open");
        ExpectFocus(dialog, kExplorerBox);
        Click(Control(dialog, kExplorerBox));
        cancel(dialog);
        ExpectOptionsClosed();
        ExpectFocus(main, L"Options");
    }
    EXPECT_EQ(ReadFile(ini), file);
    const HWND dialog = OpenOptions();
    Click(Control(dialog, kStartBox));
    ExpectFocus(dialog, kStartBox);
    Key(dialog, VK_RETURN);  // on a check box: OK
    ExpectOptionsClosed();
    EXPECT_EQ(ReadFile(ini), "; mine\n\n[other]\n  keep = this\n\n[main]\nexplorer=false\nstart=minimized\n; end\n");
    OpenOptions();  // the session's end unloads the dialog too
    EndSession();
}

// Blanks and a comma stay part of the folder the file manager opens. The
// dialog manager's own first focus is a plain SetFocus: Enter presses Exit
// all the same. (The close box is the dialog's, tested with it.)
TEST_F(NagwickExe, FileManagerOpensItsFolderAndEnterOnExitEndsIt) {
    fs::create_directories(temp / "drive one, two");
    Run(std::nullopt, temp / "drive one, two");
    EXPECT_FALSE(MoveFileW(folder.c_str(), (temp / "moved").c_str())) << "its folder was renamed under it";
    CloseFileManager(L"drive one, two");
    ExpectFocus(main, L"Exit");
    Key(main, VK_RETURN);
    ExpectEnd();
}

// From a drive's root, the settings file is "R:\\nagwick.ini" and the file
// manager opens the root. The close box warns, minimised too.
TEST_F(NagwickExe, RunsFromADrivesRoot) {
    Run("[main]\r\nstart=minimized\r\n", "R:\\");
    Within([&] { return IsIconic(main); }, "R:\\\\nagwick.ini was not read: not minimised");
    CloseFileManager(L" (R:)");
    Close(main);
    ExpectEnd(Warning());
}

// Started again from its folder, Nagwick brings its hidden window back, with
// the focus on Exit, and the new start ends; it stays armed. From another
// folder it is another program; a copy that no longer answers lets a new
// start go on after a short wait.
TEST_F(NagwickExe, StartedAgainItComesBack) {
    Run();
    Key(main, VK_TAB);
    Click(Control(main, L"Hide"));
    Within([&] { return !IsWindowVisible(main); }, "Hide left the window on screen");
    EXPECT_EQ(Status(Start((folder / "Nagwick.exe").wstring()), 20000), 0u);
    ExpectFocus(main, L"Exit");

    {
        TempFolder other;
        Require(CopyFileW(L"Z:" NAGWICK_EXE, (other / "Nagwick.exe").c_str(), FALSE), "could not copy Nagwick.exe");
        WriteFile(other / "nagwick.ini", kNoFileManager);
        const Process second = Start((other / "Nagwick.exe").wstring());
        Within([] { return MainWindows() == 2; }, "no second copy from another folder", 20000);
        // Stopped, as a debugger stops it: it answers no one.
        Require(DebugActiveProcess(GetProcessId(second.get())), "could not stop the second copy");
        const Process third = Start((other / "Nagwick.exe").wstring());
        Within([] { return MainWindows() == 3; }, "no third copy beside a stopped one", 20000);
    }  // both ended, unwarned
    EndSession();
}

}  // namespace
}  // namespace nagwick::test
