// The main window's logic on the headless backend: start-up choices, the
// ways it ends, and the warning. (Hide, and the warning box as shown, are
// checked on the Qt windows.)
#include "ui/program_fixture.h"

namespace nagwick::test {
namespace {

using MainWindowStartTest = ProgramTest;

TEST_F(MainWindowStartTest, WithoutSettingsFileOpensNormallyAndShowsTheFolder) {
    Start();
    EXPECT_EQ(Run(), -1);
    const auto* window = system->Find("frmMain");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->visible());
    EXPECT_EQ(window->state(), WindowState::Normal);
    EXPECT_EQ(system->openedFolders(), std::vector<std::string>{folder.str()});
    EXPECT_EQ(program->module1.strExplorer, "true");
    EXPECT_EQ(program->module1.strStartState, "normal");
    EXPECT_TRUE(system->messages().empty());
    EXPECT_FALSE(std::filesystem::exists(IniPath())) << "reading must not create the file";
}

TEST_F(MainWindowStartTest, StartStateMustBeExactlyMinimized) {
    struct Case { const char* stored; WindowState expected; };
    for (const Case& c : {Case{"minimized", WindowState::Minimized},
                          Case{"minimizedXYZ", WindowState::Minimized},  // cut to 9 characters
                          Case{"Minimized", WindowState::Normal},
                          Case{"normal", WindowState::Normal},
                          Case{"", WindowState::Normal}}) {
        WriteSettings(std::string("[main]\r\nexplorer=false\r\nstart=") + c.stored + "\r\n");
        Start();
        Run();
        ASSERT_NE(system->Find("frmMain"), nullptr);
        EXPECT_EQ(system->Find("frmMain")->state(), c.expected) << c.stored;
        EXPECT_TRUE(system->openedFolders().empty()) << c.stored;
    }
}

TEST_F(MainWindowStartTest, ExplorerReadsAsBooleanAtStartUp) {
    struct Case { const char* stored; bool opens; };
    for (const Case& c : {Case{"true", true}, Case{"True", true}, Case{"1", true},
                          Case{"-1", true}, Case{"false", false}, Case{"FALSE", false},
                          Case{"0", false},
                          // Unreadable values count as the default, "true", and start normally.
                          Case{"", true}, Case{"yes", true}, Case{"off", true}}) {
        WriteSettings(std::string("[main]\nexplorer=") + c.stored + "\n");
        Start();
        EXPECT_EQ(Run(), -1) << c.stored;
        EXPECT_EQ(system->openedFolders().size(), c.opens ? 1u : 0u) << c.stored;
        EXPECT_TRUE(system->messages().empty()) << c.stored;
    }
}

TEST_F(MainWindowStartTest, FailedFileManagerIsReportedAndTheProgramRuns) {
    Start();
    system->openFolderFailure = "xdg-open is missing";
    EXPECT_EQ(Run(), -1);
    ASSERT_EQ(system->messages().size(), 1u);
    EXPECT_NE(system->messages()[0].prompt.find(folder.str()), std::string::npos);
    EXPECT_NE(system->messages()[0].prompt.find("xdg-open is missing"), std::string::npos);
    EXPECT_TRUE(system->Find("frmMain")->visible());
    EXPECT_EQ(program->module1.blnWarnOnUnload, core::vbTrue);
}

using MainWindowEndTest = ProgramTest;

TEST_F(MainWindowEndTest, ExitEndsSilently) {
    Start();
    Post([&] { system->Click("frmMain", "btnExit"); });
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(system->messages().empty());
    EXPECT_EQ(system->Find("frmMain"), nullptr);
}

TEST_F(MainWindowEndTest, EveryOtherEndWarnsOnceThenEnds) {
    struct Case { const char* name; std::function<void(HeadlessSystem&)> end; };
    for (const Case& c : {Case{"close box", [](HeadlessSystem& s) { s.Close("frmMain"); }},
                          Case{"signal", [](HeadlessSystem& s) { s.SendSignal(); }},
                          Case{"session end", [](HeadlessSystem& s) { s.EndSession(); }}}) {
        Start();
        Post([&] { c.end(*system); });
        EXPECT_EQ(Run(), 0) << c.name;
        ASSERT_EQ(system->messages().size(), 1u) << c.name;
        const auto& warning = system->messages()[0];
        EXPECT_EQ(warning.prompt, "Remove your flash drive!");
        EXPECT_EQ(warning.title, "Remove flash drive");
        EXPECT_EQ(warning.icon, MsgBoxIcon::Exclamation);
        EXPECT_EQ(system->Find("frmMain"), nullptr) << c.name;
    }
}

TEST_F(MainWindowEndTest, CausesArrivingDuringTheWarningGiveNoSecondOne) {
    Start();
    system->whileMessageShown = [&](const auto&) {
        system->SendSignal();
        system->EndSession();
        system->Close("frmMain");
    };
    Post([&] { system->Close("frmMain"); });
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(WarningCount(), 1);
}

// The box that reports a failed file manager is shown while the main window
// loads; a signal or the session's end meanwhile must still warn, and end.
TEST_F(MainWindowEndTest, EndRequestedWhileTheWindowLoadsWarnsOnceThenEnds) {
    struct Case { const char* name; std::function<void(HeadlessSystem&)> end; };
    for (const Case& c : {Case{"signal", [](HeadlessSystem& s) { s.SendSignal(); }},
                          Case{"session end", [](HeadlessSystem& s) { s.EndSession(); }}}) {
        Start();
        system->openFolderFailure = "xdg-open is missing";
        system->whileMessageShown = [&](const auto& shown) {
            if (shown.title == "Nagwick") c.end(*system);
        };
        EXPECT_EQ(Run(), 0) << c.name;
        EXPECT_EQ(WarningCount(), 1) << c.name;
        EXPECT_EQ(system->Find("frmMain"), nullptr) << c.name;
    }
}

TEST_F(MainWindowEndTest, MinimisedStartStillWarns) {
    WriteSettings("[main]\r\nexplorer=false\r\nstart=minimized\r\n");
    Start();
    Post([&] { system->SendSignal(); });
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(WarningCount(), 1);
}

}  // namespace
}  // namespace nagwick::test
