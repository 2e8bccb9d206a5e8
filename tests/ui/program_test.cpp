// The two windows' logic and the forms runtime, on the headless window
// system over files in memory: the start-up choices, the ways the program
// ends, the warning, the options dialog, and another start's request.
#include <gtest/gtest.h>

#include <stdexcept>

#include "doubles/headless_system.h"
#include "doubles/memory_files.h"
#include "ui/layouts.h"
#include "ui/program.h"

namespace nagwick::test {
namespace {

using forms::WindowState;
using Boxes = std::vector<std::string>;
const std::string kIni = "/drive/nagwick.ini";
const Boxes kWarning{"Remove flash drive: Remove your flash drive!"};

class ProgramTest : public ::testing::Test {
protected:
    void Start(const std::string& settings = "(none)") {
        program.reset();
        system = std::make_unique<HeadlessSystem>();
        files = {};
        if (settings != "(none)") files.files[kIni] = settings;
        program = std::make_unique<ui::Program>(*system, store, "/drive");
    }
    int Run() { return program->Run(); }  // -1: still running, with nothing left to do
    Boxes Shown() const {  // "title: prompt" of each message box
        Boxes boxes;
        for (const auto& m : system->messages) boxes.push_back(m.title + ": " + m.prompt);
        return boxes;
    }
    HeadlessWindow& Main() const { return *system->Find("frmMain"); }
    // Opens the options dialog, and runs `inDialog` while it is open.
    void InDialog(std::function<void(HeadlessWindow&)> inDialog) {
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
                          Case{"[main]\nexplorer=True\nstart=minimizedXYZ\n", true, WindowState::Minimized},
                          Case{"[main]\nexplorer=-1\nstart=Minimized\n", true, WindowState::Normal},
                          Case{"[main]\nexplorer=falsey\n", false, WindowState::Normal},  // 5 characters: "false"
                          // What the Boolean rules can't read counts as the default.
                          Case{"[main]\nexplorer=\n", true, WindowState::Normal}}) {
        Start(c.file);
        EXPECT_EQ(Run(), -1);
        EXPECT_TRUE(Main().visible && Shown().empty()) << c.file;
        EXPECT_EQ(Main().state, c.state) << c.file;
        EXPECT_EQ(system->openedFolders, c.opens ? Boxes{"/drive"} : Boxes{}) << c.file;
        EXPECT_EQ(files.files.size(), c.file == "(none)" ? 0u : 1u) << "reading wrote a file";
    }
}

TEST_F(ProgramTest, ExitEndsSilentlyAndEveryOtherEndWarnsOnce) {
    struct Case { const char* name; std::function<void(HeadlessSystem&)> end; };
    for (const Case& c : {Case{"exit", [](HeadlessSystem& s) { s.Click("frmMain", "btnExit"); }},
                          Case{"close box", [](HeadlessSystem& s) { s.Close("frmMain"); }},
                          Case{"hidden, then a signal or the session's end", [](HeadlessSystem& s) {
                              s.Click("frmMain", "btnHide");
                              EXPECT_FALSE(s.Find("frmMain")->visible);
                              s.RequestEnd();
                          }}}) {
        Start("[main]\nexplorer=false\nstart=minimized\n");
        // What else arrives while the warning is on screen gives no second one.
        system->whileMessageShown = [&](const auto&) { system->RequestEnd(), system->Close("frmMain"); };
        system->Post([&] { c.end(*system); });
        EXPECT_EQ(Run(), 0) << c.name;
        EXPECT_EQ(Shown(), c.name == std::string("exit") ? Boxes{} : kWarning) << c.name;
        EXPECT_EQ(system->Find("frmMain"), nullptr) << c.name;
    }
}

// The box of a file manager that can't start waits while the window loads:
// the session's end meanwhile still warns, once, and ends the program.
TEST_F(ProgramTest, AFailedFileManagerIsReportedAndAnEndMeanwhileStillWarns) {
    Start();
    system->openFolderFailure = "xdg-open is missing";
    system->whileMessageShown = [&](const auto& shown) { if (shown.title == "Nagwick") system->RequestEnd(); };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Shown(), (Boxes{"Nagwick: Could not open the folder \"/drive\" in a file manager: xdg-open is missing",
                              kWarning[0]}));
}

// Another start brings back the main window (hidden or minimised) with the
// focus on Exit, or whatever waits for an answer; the program stays armed.
TEST_F(ProgramTest, AnotherStartBringsBackWhatTheUserHasToSee) {
    Start("[main]\nexplorer=false\nstart=minimized\n");
    system->Post([&] {
        system->RequestActivation();
        EXPECT_TRUE(Main().visible && Main().state == WindowState::Normal && Main().firstFocused == 1);
        system->Click("frmMain", "btnHide");
        system->RequestActivation();
        EXPECT_TRUE(Main().visible && Main().firstFocused == 2);
    });
    InDialog([&](HeadlessWindow& dialog) {
        dialog.visible = false;  // as if behind another program's window
        system->RequestActivation();
        EXPECT_TRUE(dialog.visible && dialog.firstFocused == 0 && Main().firstFocused == 2);
        system->Click("frmOptions", "btnCancel");
    });
    system->whileMessageShown = [&](const auto&) { system->RequestActivation(); };
    system->Post([&] { system->Close("frmMain"); });
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Shown(), kWarning);
    EXPECT_EQ(system->messagesRaised, 1);
}

TEST_F(ProgramTest, TheOptionsDialogShowsOnlyTheExactWordsAndOkWritesBothInOneSave) {
    struct Case { std::string file; int explorer, start; std::string written; };
    for (const Case& c : {Case{"(none)", 1, 0, "[main]\r\nexplorer=true\r\nstart=normal\r\n"},
                          Case{"[main]\nexplorer=true\nstart=minimized\n", 1, 1, "[main]\nexplorer=true\nstart=minimized\n"},
                          Case{"[main]\nexplorer=True\nstart=Minimized\n", 0, 0, "[main]\nexplorer=false\nstart=normal\n"},
                          Case{"[main]\nexplorer=1\nstart=minimizedXYZ\n", 0, 1, "[main]\nexplorer=false\nstart=minimized\n"}}) {
        Start(c.file);
        InDialog([&](HeadlessWindow& dialog) {
            EXPECT_EQ(dialog.CheckValue("chkExplorer") * 10 + dialog.CheckValue("chkStartState"), c.explorer * 10 + c.start);
            system->Click("frmOptions", "btkOK");
        });
        EXPECT_EQ(Run(), -1);
        EXPECT_EQ(system->Find("frmOptions"), nullptr);
        EXPECT_EQ(files.files.at(kIni), c.written);
        EXPECT_EQ(files.replaced, c.written == c.file ? 0 : 1) << "both choices in one save";
    }
}

TEST_F(ProgramTest, CancelAndAFailedSaveWriteNothingAndTheChoicesHoldForThisRun) {
    Start("[main]\nexplorer=true\n");
    InDialog([&](HeadlessWindow& dialog) {
        dialog.SetCheckValue("chkExplorer", 0);
        system->Click("frmOptions", "btnCancel");
    });
    files.failAt = "Replace";
    InDialog([&](HeadlessWindow& dialog) {
        EXPECT_EQ(dialog.CheckValue("chkExplorer"), 1) << "the stored choice, again";
        dialog.SetCheckValue("chkStartState", 1);
        system->Click("frmMain", "btnExit");  // the main window takes no input meanwhile
        system->Close("frmMain");
        system->Click("frmOptions", "btkOK");
    });
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(Main().state, WindowState::Normal) << "a new choice is for the next start";
    EXPECT_EQ(Shown(), Boxes{"Nagwick: Your choices could not be saved in nagwick.ini: the drive reported an error."});
    EXPECT_EQ(files.files.at(kIni), "[main]\nexplorer=true\n");
    EXPECT_EQ(program->module1.strStartState, "minimized");
}

// An error that escapes a handler is reported like the runtime's, then ends the program.
TEST(FormsRuntime, AnErrorEscapingAHandlerIsReportedThenTheProgramEnds) {
    struct Throwing : forms::Form {
        using Form::Form;
        void Form_Unload() override { ADD_FAILURE() << "nothing runs after the report"; }
        void Click(std::string_view) override { throw std::runtime_error("Type mismatch"); }
    };
    HeadlessSystem system;
    forms::FormsRuntime runtime(system);
    Throwing form(runtime, ui::MainFormDesign());
    system.Post([&] { system.Click("frmMain", "btnExit"); });
    EXPECT_EQ(runtime.Run(form), 1);
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(system.messages[0].prompt, "Run-time error: Type mismatch");
    EXPECT_EQ(system.messages[0].icon, forms::MsgBoxIcon::Critical);
    system.RequestEnd();
}

}  // namespace
}  // namespace nagwick::test
