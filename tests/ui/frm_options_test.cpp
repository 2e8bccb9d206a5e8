// The options dialog's logic on the headless backend: what it shows and what
// it writes. (Modality, keys and the ways to leave it: on the Qt windows.)
#include "ui/program_fixture.h"

namespace nagwick::test {
namespace {

class OptionsTest : public ProgramTest {
protected:
    // Opens the dialog from the main window and runs `inDialog` while it is open.
    void WithDialog(std::function<void()> inDialog) {
        Post([this, inDialog] {
            system->PostNext([this, inDialog] {
                ASSERT_NE(system->Find("frmOptions"), nullptr);
                inDialog();
            });
            system->Click("frmMain", "btnOptions");
        });
    }
    int Check(const char* box) const { return system->Find("frmOptions")->CheckValue(box); }
    void Toggle(const char* box) {
        auto* dialog = system->Find("frmOptions");
        dialog->SetCheckValue(box, dialog->CheckValue(box) == 1 ? 0 : 1);
    }
};

TEST_F(OptionsTest, BoxesShowOnlyTheExactWords) {
    struct Case { const char* file; int explorer; int start; };
    for (const Case& c : {Case{"", 1, 0},
                          Case{"[main]\nexplorer=true\nstart=minimized\n", 1, 1},
                          Case{"[main]\nexplorer=True\nstart=Minimized\n", 0, 0},
                          Case{"[main]\nexplorer=1\nstart=minimizedXYZ\n", 0, 1}}) {
        if (*c.file) WriteSettings(c.file);
        Start();
        int explorer = -1, start = -1;
        WithDialog([&] {
            explorer = Check("chkExplorer");
            start = Check("chkStartState");
            system->Click("frmOptions", "btnCancel");
        });
        EXPECT_EQ(Run(), -1);
        EXPECT_EQ(explorer, c.explorer) << c.file;
        EXPECT_EQ(start, c.start) << c.file;
    }
}

TEST_F(OptionsTest, CapitalTrueOpensTheFolderButOkWritesFalse) {
    WriteSettings("[main]\r\nexplorer=True\r\nstart=normal\r\n");
    Start();
    WithDialog([&] { system->Click("frmOptions", "btkOK"); });
    Run();
    EXPECT_EQ(system->openedFolders().size(), 1u);
    EXPECT_EQ(Settings(), "[main]\r\nexplorer=false\r\nstart=normal\r\n");
    EXPECT_EQ(system->Find("frmOptions"), nullptr);
}

TEST_F(OptionsTest, OkOnAMissingFileCreatesItWithTheDefaults) {
    Start();
    WithDialog([&] { system->Click("frmOptions", "btkOK"); });
    Run();
    EXPECT_EQ(Settings(), "[main]\r\nexplorer=true\r\nstart=normal\r\n");
}

TEST_F(OptionsTest, OnlyValueOneCountsAsChecked) {
    Start();
    WithDialog([&] {
        system->Find("frmOptions")->SetCheckValue("chkExplorer", 2);
        system->Find("frmOptions")->SetCheckValue("chkStartState", 2);
        system->Click("frmOptions", "btkOK");
    });
    Run();
    EXPECT_EQ(Settings(), "[main]\r\nexplorer=false\r\nstart=normal\r\n");
}

TEST_F(OptionsTest, FailedWriteIsReportedAndTheChoiceStaysForThisRun) {
    Start((folder / "gone").string());  // the program's folder no longer exists
    WithDialog([&] {
        Toggle("chkStartState");
        system->Click("frmOptions", "btkOK");
    });
    EXPECT_EQ(Run(), -1);
    ASSERT_EQ(system->messages().size(), 1u) << "one report for the pair of writes";
    const std::string& report = system->messages()[0].prompt;
    EXPECT_NE(report.find((folder / "gone" / "nagwick.ini").string()), std::string::npos) << report;
    EXPECT_NE(report.find("No such file or directory"), std::string::npos) << report;
    EXPECT_FALSE(std::filesystem::exists(folder / "gone")) << "a missing folder is not created";
    EXPECT_EQ(system->Find("frmOptions"), nullptr);
    EXPECT_EQ(program->module1.strStartState, "minimized");
}

}  // namespace
}  // namespace nagwick::test
