#include "e2e/pose.h"

#include <iostream>

#include "e2e/nagwick_process.h"
#include "e2e/probe.h"
#include "ui/layouts.h"

namespace e2e {

namespace {

// Says where `window` is and waits for the screenshot.
void Present(const std::wstring& work, const std::string& name, HWND window) {
    // Painted and still before the picture.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(500);
    const RECT rect = WindowRect(window);
    const std::wstring marker = work + L"\\" + Widen(name) + L".ready";
    WriteWholeFile(marker, std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                               std::to_string(rect.right - rect.left) + " " +
                               std::to_string(rect.bottom - rect.top) + "\n");
    std::cout << name << " ready" << std::endl;
    Require(WaitUntil([&] { return GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES; }, 60000),
            "nobody took the screenshot of " + name);
}

}  // namespace

int Pose(const std::wstring& exe, const std::wstring& work) {
    try {
        NagwickProcess app(exe, work + L"\\drive", "[main]\r\nexplorer=false\r\n");
        const HWND main = app.WaitForMainWindow();
        Present(work, "main", main);
        Click(ChildWithText(main, L"Options"));
        const HWND options = app.WaitForOptions();
        Present(work, "options", options);
        Click(ChildWithText(options, L"Cancel"));
        WaitUntil([&] { return !app.Options(); }, 5000);
        Click(ChildWithText(main, L"Exit"));
        Require(app.WaitForExit(10000).has_value(), "Nagwick did not end");
        return 0;
    } catch (const Failure& failure) {
        std::cout << "FAIL pose: " << failure.what() << std::endl;
        return 1;
    }
}

}  // namespace e2e
