// The two windows' logic and the forms runtime, on the headless window
// system over files in memory: start-up choices, the ways the program ends,
// the warning, and the options dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "platform/headless/headless_system.h"
#include "support/memory_files.h"
#include "ui/layouts.h"
#include "ui/program.h"

namespace nagwick::test {
namespace {

using platform::MsgBoxIcon;
using platform::WindowState;
using platform::headless::HeadlessSystem;
const std::string kIni = "/drive/nagwick.ini";

class ProgramTest : public ::testing::Test {
protected:
    void Start(const std::string& settings = "(none)") {
        program.reset();
        system = std::make_unique<HeadlessSystem>();
        files.files.clear();
        if (settings != "(none)") files.files[kIni] = settings;
        program = std::make_unique<ui::Program>(*system, store, "/drive");
    }
    int Run() { return program->Run(); }  // -1: still running, nothing left to do
    int Warnings() const {
        return static_cast<int>(std::ranges::count_if(system->messages(), [](const auto& m) {
            return m.prompt == "Remove your flash drive!" && m.title == "Remove flash drive" &&
                   m.icon == MsgBoxIcon::Exclamation;
        }));
    }
    // Opens the options dialog and runs `inDialog` while it is open.
    void InDialog(std::function<void(platform::headless::HeadlessWindow&)> inDialog) {
        system->Post([this, inDialog] {
            system->PostNext([this, inDialog] { inDialog(*system->Find("frmOptions")); });
            system->Click("frmMain", "btnOptions");
        });
    }

    MemoryFiles files;
    core::SettingsStore store{files, '/'};
    std::unique_ptr<HeadlessSystem> system;
    std::unique_ptr<ui::Program> program;
};

TEST_F(ProgramTest, StartUpChoices) {
    struct Case { std::string file; bool opens; WindowState state; };
    for (const Case& c : {Case{"(none)", true, WindowState::Normal},
                          Case{"[main]\nexplorer=True\nstart=minimized\n", true, WindowState::Minimized},
                          Case{"[main]\nexplorer=-1\nstart=minimizedXYZ\n", true, WindowState::Minimized},
                          Case{"[main]\nexplorer=false\nstart=Minimized\n", false, WindowState::Normal},
                          Case{"[main]\nexplorer=0\nstart=normal\n", false, WindowState::Normal},
                          // What the Boolean rules can't read counts as the default.
                          Case{"[main]\nexplorer=\n", true, WindowState::Normal},
                          Case{"[main]\nexplorer=yes\n", true, WindowState::Normal}}) {
        Start(c.file);
        EXPECT_EQ(Run(), -1) << c.file;
        EXPECT_TRUE(system->Find("frmMain")->visible()) << c.file;
        EXPECT_EQ(system->Find("frmMain")->state(), c.state) << c.file;
        EXPECT_EQ(system->openedFolders(), c.opens ? std::vector<std::string>{"/drive"} : std::vector<std::string>{})
            << c.file;
        EXPECT_TRUE(system->messages().empty()) << c.file;
        EXPECT_EQ(files.files.size(), c.file == "(none)" ? 0u : 1u) << "reading wrote a file";
    }
}

TEST_F(ProgramTest, AFileManagerThatCannotStartIsReportedAndTheProgramRunsArmed) {
    Start();
    system->openFolderFailure = "xdg-open is missing";
    EXPECT_EQ(Run(), -1);
    ASSERT_EQ(system->messages().size(), 1u);
    EXPECT_EQ(system->messages()[0].prompt, "Could not open the folder \"/drive\" in a file manager: xdg-open is missing");
    system->Close("frmMain");
    EXPECT_EQ(Warnings(), 1);
}

TEST_F(ProgramTest, ExitEndsSilentlyAndEveryOtherEndWarnsOnce) {
    struct Case { const char* name; std::function<void(HeadlessSystem&)> end; int warnings; };
    for (const Case& c : {Case{"exit", [](HeadlessSystem& s) { s.Click("frmMain", "btnExit"); }, 0},
                          Case{"close box", [](HeadlessSystem& s) { s.Close("frmMain"); }, 1},
                          Case{"signal", [](HeadlessSystem& s) { s.SendSignal(); }, 1},
                          Case{"hidden, session end", [](HeadlessSystem& s) {
                              s.Click("frmMain", "btnHide");
                              EXPECT_FALSE(s.Find("frmMain")->visible());
                              s.EndSession();
                          }, 1}}) {
        Start("[main]\nexplorer=false\nstart=minimized\n");
        // Whatever else arrives while the warning is on screen gives no second one.
        system->whileMessageShown = [&](const auto&) { system->SendSignal(); system->EndSession(); };
        system->Post([&] { c.end(*system); });
        EXPECT_EQ(Run(), 0) << c.name;
        EXPECT_EQ(Warnings(), c.warnings) << c.name;
        EXPECT_EQ(system->messages().size(), static_cast<std::size_t>(c.warnings)) << c.name;
        EXPECT_EQ(system->Find("frmMain"), nullptr) << c.name;
    }
}

// The box of a failed file manager waits while the window loads: a signal
// or the session's end meanwhile still warns, once, and ends the program.
TEST_F(ProgramTest, AnEndWhileTheWindowLoadsWarnsOnce) {
    Start();
    system->openFolderFailure = "xdg-open is missing";
    system->whileMessageShown = [&](const auto& shown) {
        if (shown.title == "Nagwick") system->EndSession();
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Warnings(), 1);
}

TEST_F(ProgramTest, TheOptionsDialogShowsOnlyTheExactWordsAndOkWritesBothKeys) {
    struct Case { std::string file; int explorer, start; std::string written; };
    for (const Case& c : {Case{"(none)", 1, 0, "[main]\r\nexplorer=true\r\nstart=normal\r\n"},
                          Case{"[main]\nexplorer=true\nstart=minimized\n", 1, 1, "[main]\nexplorer=true\nstart=minimized\n"},
                          Case{"[main]\nexplorer=True\nstart=Minimized\n", 0, 0, "[main]\nexplorer=false\nstart=normal\n"},
                          Case{"[main]\nexplorer=1\nstart=minimizedXYZ\n", 0, 1, "[main]\nexplorer=false\nstart=minimized\n"}}) {
        Start(c.file);
        InDialog([&](auto& dialog) {
            EXPECT_EQ(dialog.CheckValue("chkExplorer"), c.explorer) << c.file;
            EXPECT_EQ(dialog.CheckValue("chkStartState"), c.start) << c.file;
            system->Click("frmOptions", "btkOK");
        });
        EXPECT_EQ(Run(), -1);
        EXPECT_EQ(system->Find("frmOptions"), nullptr);
        EXPECT_EQ(files.files.at(kIni), c.written);
    }
}

TEST_F(ProgramTest, OnlyValueOneCountsAsChecked) {
    Start();
    InDialog([&](auto& dialog) {
        dialog.SetCheckValue("chkExplorer", 2);
        dialog.SetCheckValue("chkStartState", 1);
        system->Click("frmOptions", "btkOK");
    });
    Run();
    EXPECT_EQ(files.files.at(kIni), "[main]\r\nexplorer=false\r\nstart=minimized\r\n");
    EXPECT_EQ(system->Find("frmMain")->state(), WindowState::Normal) << "a choice is for the next start";
}

TEST_F(ProgramTest, CancelTheCloseBoxAndTheBlockedMainWindowChangeNothing) {
    const std::string file = "[main]\nexplorer=true\nstart=normal\n";
    Start(file);
    for (auto leave : {+[](HeadlessSystem& s) { s.Click("frmOptions", "btnCancel"); },
                       +[](HeadlessSystem& s) { s.Close("frmOptions"); }}) {
        InDialog([&, leave](auto& dialog) {
            EXPECT_EQ(dialog.CheckValue("chkExplorer"), 1) << "the stored choice, again";
            dialog.SetCheckValue("chkExplorer", 0);
            system->Click("frmMain", "btnExit");  // the main window takes no input meanwhile
            system->Close("frmMain");
            leave(*system);
        });
    }
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(files.files.at(kIni), file);
    EXPECT_EQ(program->module1.strExplorer, "true");
    EXPECT_TRUE(system->messages().empty());
}

TEST_F(ProgramTest, AFailedSaveIsReportedOnceAndTheChoiceHoldsForThisRun) {
    Start();
    files.failAt = "Replace";
    InDialog([&](auto& dialog) {
        dialog.SetCheckValue("chkStartState", 1);
        system->Click("frmOptions", "btkOK");
    });
    EXPECT_EQ(Run(), -1);
    ASSERT_EQ(system->messages().size(), 1u);
    EXPECT_EQ(system->messages()[0].prompt, "Your choices could not be saved in nagwick.ini: the drive reported an error.");
    EXPECT_EQ(system->Find("frmOptions"), nullptr);
    EXPECT_EQ(program->module1.strStartState, "minimized");
    EXPECT_TRUE(files.files.empty());
}

TEST_F(ProgramTest, AnEndWhileTheDialogIsOpenUnloadsItWithoutSavingAndWarnsOnce) {
    Start("[main]\nexplorer=false\n");
    InDialog([&](auto& dialog) {
        dialog.SetCheckValue("chkExplorer", 1);
        system->SendSignal();
    });
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Warnings(), 1);
    EXPECT_EQ(files.files.at(kIni), "[main]\nexplorer=false\n");
}

// An error that escapes a handler is reported like the runtime's, then ends the program.
struct Throwing : forms::Form {
    using Form::Form;
    int unloads = 0;
    void Form_Unload() override { ++unloads; }
    void Click(std::string_view) override { throw std::runtime_error("Type mismatch"); }
};

TEST(FormsRuntime, AnErrorEscapingAHandlerIsReportedThenTheProgramEnds) {
    HeadlessSystem system;
    forms::FormsRuntime runtime(system);
    Throwing form(runtime, ui::MainFormDesign());
    system.Post([&] { system.Click("frmMain", "btnExit"); });
    EXPECT_EQ(runtime.Run(form), 1);
    ASSERT_EQ(system.messages().size(), 1u);
    EXPECT_EQ(system.messages()[0].prompt, "Run-time error: Type mismatch");
    EXPECT_EQ(system.messages()[0].icon, MsgBoxIcon::Critical);
    system.SendSignal();
    EXPECT_EQ(form.unloads, 0) << "nothing runs after the report";
}

}  // namespace
}  // namespace nagwick::test
