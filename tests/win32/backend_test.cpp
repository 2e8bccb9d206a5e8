// The Win32 backend in this process, for what Nagwick.exe can't show cheaply
// from outside: the file layer's answer to each fault and its replace, the
// system's profile functions on the shared vectors, message boxes' icons,
// and real form windows at another DPI.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/module1.h"
#include "platform/win32/system_profile.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_system.h"
#include "support/settings_vectors.h"
#include "support/temp_folder.h"
#include "ui/layouts.h"

// This executable's import table entries for the last steps of a replace.
extern "C" decltype(&FlushFileBuffers) __imp_FlushFileBuffers;
extern "C" decltype(&MoveFileExW) __imp_MoveFileExW;

namespace nagwick::test {
namespace {

namespace fs = std::filesystem;
using core::FileError;
using platform::win32::Narrow;
using Outcome = core::SaveResult::Outcome;

// The replace's last steps as they reach kernel32, recorded while swapped
// into the import table (Swap again puts the system's back).
struct ReplaceSteps {
    static BOOL WINAPI Flush(HANDLE file) { return calls += "flush ", flush(file); }
    static BOOL WINAPI Move(LPCWSTR from, LPCWSTR to, DWORD flags) {
        return calls += flags & MOVEFILE_WRITE_THROUGH ? "move-through " : "move ", move(from, to, flags);
    }
    static void Swap() { std::swap(__imp_FlushFileBuffers, flush), std::swap(__imp_MoveFileExW, move); }
    static inline std::string calls;
    static inline decltype(&Flush) flush = &Flush;
    static inline decltype(&Move) move = &Move;
};

class Win32Settings : public ::testing::Test {
protected:
    std::vector<std::string> TempFiles(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        return std::erase_if(names, [](auto& name) { return !name.starts_with(".nagwick.ini.tmp-"); }), names;
    }
    // Saving in `folder` fails for `why`; the file is as it was.
    void ExpectRefused(const fs::path& folder, FileError why) {
        const std::string before = ReadFile(folder / "nagwick.ini");
        const core::SaveResult saved = core::WriteSettings({"false", "normal"}, store, Narrow(folder.wstring()));
        EXPECT_EQ(saved.outcome, Outcome::Failed) << folder;
        EXPECT_EQ(saved.why.error, why) << folder << ": " << saved.why.detail;
        EXPECT_EQ(ReadFile(folder / "nagwick.ini"), before) << folder;
        EXPECT_TRUE(!fs::exists(folder) || TempFiles(folder).empty()) << folder;
    }
    // kernel32's own reader, as the program has always called it.
    static std::string Kernel32Read(const std::string& section, const std::string& key, const std::string& defaultValue,
                                    std::size_t size, const std::string& path) {
        std::string buffer(size, '\0');
        return buffer.substr(0, GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                                         buffer.data(), static_cast<DWORD>(size), path.c_str()));
    }
    // A file of its own for each use (the system caches files by name) with
    // the vectors' file `name`: none for "(none)", a folder for "(folder)".
    std::string NewFile(const std::string& name, const std::string& bytes) {
        const fs::path path = temp / ("f" + std::to_string(++files_) + ".ini");
        if (name == "(folder)") fs::create_directories(path);
        else if (name != "(none)") WriteFile(path, bytes);
        return path.string();
    }

    platform::win32::Win32Files files;
    platform::win32::SystemProfileStore store{files};
    TempFolder temp;
    int files_ = 0;
};

TEST_F(Win32Settings, FaultsAreToldAndLeaveTheFileAsItWas) {
    const std::pair<FileError, std::function<void(const fs::path& file)>> rows[] = {
        {FileError::ReadOnlyFile,
         [](auto& f) { WriteFile(f, "[main]\r\n"); SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_READONLY); }},
        {FileError::FolderInPlace, [](auto& f) { fs::create_directories(f); }},
        {FileError::FolderMissing, [](auto& f) { fs::remove(f.parent_path()); }},
    };
    for (const auto& [why, make] : rows) {
        const fs::path folder = temp / std::to_string(static_cast<int>(why));
        fs::create_directories(folder);
        make(folder / "nagwick.ini");
        ExpectRefused(folder, why);
        SetFileAttributesW((folder / "nagwick.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// The Wine session makes F: a full drive holding a nagwick.ini where it may
// mount (as root). A write-protected drive can't be made: Wine tells a
// read-only mount as access denied.
TEST_F(Win32Settings, FullDriveIsTold) {
    if (GetFileAttributesW(L"F:\\nagwick.ini") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no full drive F: (the Wine session makes one only as root)";
    ExpectRefused("F:\\", FileError::DriveFull);
}

TEST_F(Win32Settings, SaveReplacesTheFileWholeInAnyFolderAndClearsStaleTemporaryFiles) {
    // Outside any one ANSI code page; the file hidden and longer than any one read.
    const fs::path folder = temp.path / L"Ωμέγα テスト";
    const fs::path file = folder / "nagwick.ini";
    fs::create_directories(folder);
    const std::string comment = "; " + std::string(100000, 'x') + "\n";
    WriteFile(file, comment + "[main]\nexplorer=true\n");
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    // Temporary files of a writer that stopped long ago, of one that may be
    // writing now, and of this process's own (stopped) writer.
    for (const std::string& pid : {std::string("1"), std::string("2"), std::to_string(GetCurrentProcessId())})
        WriteFile(folder / (".nagwick.ini.tmp-" + pid), "partial");
    fs::last_write_time(folder / ".nagwick.ini.tmp-1", fs::file_time_type::clock::now() - std::chrono::hours(1));

    const std::string path = Narrow(folder.wstring());
    ReplaceSteps::Swap();
    EXPECT_EQ(core::WriteSettings({"false", "normal"}, store, path).outcome, Outcome::Saved);
    ReplaceSteps::Swap();
    // On the drive before the move, and the move on the drive when it returns:
    // a drive pulled a moment later leaves the old file or the new, not an empty one.
    EXPECT_EQ(ReplaceSteps::calls, "flush move-through ");
    EXPECT_EQ(ReadFile(file), comment + "[main]\nexplorer=false\nstart=normal\n");
    EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(TempFiles(folder), std::vector<std::string>{".nagwick.ini.tmp-2"});
    // Read back by the system's reader, through the same UTF-16 path.
    core::Module1 shared;
    core::ReadSettings(shared, store, path);
    EXPECT_EQ(shared.strExplorer + " " + shared.strStartState, "false normal");
}

// kernel32 reads each file of the vectors as our reader does, but where they
// name its known difference (the last column), and so does the store's
// reader, GetPrivateProfileStringW, wherever the text is ASCII; and it reads
// each file our writer made as it reads the one it writes itself.
TEST_F(Win32Settings, Kernel32ReadsTheVectorsAsOurReaderAndOurWritesAsItsOwn) {
    const SettingsVectors vectors = LoadSettingsVectors(NAGWICK_SETTINGS_VECTORS);
    for (const auto& row : vectors.reads) {
        const auto& [file, section, key, defaultValue] = std::tie(row[0], row[1], row[2], row[3]);
        const std::string path = NewFile(file, vectors.files.at(file));
        const std::string theirs = Kernel32Read(section, key, defaultValue, std::stoul(row[4]), path);
        EXPECT_EQ(theirs, row.back()) << file << ": [" << section << "] " << key << ", buffer " << row[4];
        if (std::ranges::all_of(section + key + defaultValue + theirs, [](char c) { return c > 0; })) {
            EXPECT_EQ(store.ReadProfileString(section, key, defaultValue, std::stoul(row[4]), path), theirs) << file;
        }
    }
    for (const auto& row : vectors.writes) {
        const std::string theirs = NewFile(row[0], vectors.files.at(row[0])), ours = NewFile("", row[3]);
        ASSERT_TRUE(WritePrivateProfileStringA("main", row[1].c_str(), row[2].c_str(), theirs.c_str()));
        for (const char* section : {"main", "other"})
            for (const char* key : {"explorer", "start", "keep", "x"})
                EXPECT_EQ(Kernel32Read(section, key, "-", 100, ours), Kernel32Read(section, key, "-", 100, theirs))
                    << row[0] << ": " << row[1] << "=" << row[2] << ", then [" << section << "] " << key;
    }
}

struct NoEvents : forms::WindowEvents {
    void OnClick(std::string_view) override {}
    void OnCloseRequested() override {}
};

// A box shows the system's own icon for its kind: the warning's exclamation
// mark, the error report's stop sign. (Read from the box, which a timer finds
// while it waits, then dismisses.)
TEST(Win32System, MessageBoxesShowTheirKindsIcon) {
    platform::win32::Win32System system;
    for (const auto& [icon, systemIcon] : {std::pair{forms::MsgBoxIcon::Exclamation, IDI_EXCLAMATION},
                                           std::pair{forms::MsgBoxIcon::Critical, IDI_HAND}}) {
        static HICON shown;
        shown = nullptr;
        SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR timer, DWORD) {
            const HWND box = FindWindowW(L"#32770", L"Icon");
            for (HWND child = nullptr; box && !shown && (child = FindWindowExW(box, child, L"Static", nullptr));)
                shown = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
            if (box) KillTimer(nullptr, timer), PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        system.ShowMessage("Remove your flash drive!", "Icon", icon);
        EXPECT_EQ(shown, LoadIconW(nullptr, systemIcon)) << static_cast<int>(icon);
    }
}

// Moved to a monitor of 144 dots per inch, a window takes the place the
// system suggests and the size of the layout at that DPI, with icons and
// fonts (MS Sans Serif, 8.25 points) made anew.
TEST(FormWindow, LaysItselfOutAgainAtAnotherDpi) {
    platform::win32::Win32System system;
    NoEvents events;
    for (const auto* design : {&ui::MainFormDesign(), &ui::OptionsFormDesign()}) {
        const auto form = system.CreateNativeWindow(*design, nullptr, events);
        const HWND window = static_cast<const platform::win32::FormWindow*>(form.get())->Handle();
        RECT suggested{100, 80, 600, 400}, client{}, frame{};
        const LRESULT icon = SendMessageW(window, WM_GETICON, ICON_SMALL, 0);
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
        GetClientRect(window, &client);
        GetWindowRect(window, &frame);
        EXPECT_EQ(client.right, forms::TwipsToPixels(design->clientWidth, 144)) << design->name;
        EXPECT_EQ(client.bottom, forms::TwipsToPixels(design->clientHeight, 144)) << design->name;
        EXPECT_EQ(frame.left * 1000 + frame.top, 100080) << design->name;
        EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), icon) << design->name << ": no icon for this DPI";
        for (const auto& control : design->controls) {
            const HWND child = FindWindowExW(window, nullptr, nullptr, platform::win32::Widen(control.text).c_str());
            LOGFONTW face{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)), sizeof face, &face);
            EXPECT_EQ(Narrow(face.lfFaceName) + " " + std::to_string(face.lfHeight) + " " + std::to_string(face.lfWeight),
                      "MS Sans Serif -17 " + std::to_string(control.bold ? FW_BOLD : FW_NORMAL)) << control.name;
        }
    }
}

}  // namespace
}  // namespace nagwick::test
