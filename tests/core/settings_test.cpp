// The settings file: every vector through the store's reader and writer,
// the writer's steps failing one at a time, and what the user is told of a
// save that went wrong.
#include <gtest/gtest.h>

#include "core/module1.h"
#include "doubles/memory_files.h"
#include "support/settings_vectors.h"

namespace nagwick::test {
namespace {

using core::FileError;
using Outcome = core::SaveResult::Outcome;
const std::string kPath = "/drive/nagwick.ini";

class SettingsTest : public ::testing::Test {
protected:
    void Holding(const std::string& name) {
        files = {};
        if (name == "(folder)") files.folders.insert(kPath);
        else if (name != "(none)") files.files[kPath] = vectors.files.at(name);
    }
    std::string File() { return files.files.count(kPath) ? files.files[kPath] : "(none)"; }
    core::SaveResult Write(std::string_view key, std::string_view value) {
        const core::ProfileEntry entry[] = {{key, value}};
        return store.WriteProfileStrings("main", entry, kPath);
    }

    const SettingsVectors vectors = LoadSettingsVectors(NAGWICK_SETTINGS_VECTORS);
    MemoryFiles files;
    core::SettingsStore store{files, '/'};
};

TEST_F(SettingsTest, EveryReadGivesItsExpectedValue) {
    for (const auto& row : vectors.reads) {  // file, section, key, default, buffer, expected
        Holding(row[0]);
        EXPECT_EQ(store.ReadProfileString(row[1], row[2], row[3], std::stoul(row[4]), kPath), row[5])
            << row[0] << ": [" << row[1] << "] " << row[2] << ", buffer " << row[4];
    }
}

TEST_F(SettingsTest, EveryWriteChangesOnlyItsValueAndASecondChangesNothing) {
    for (const auto& row : vectors.writes) {  // file, key, value, expected bytes
        Holding(row[0]);
        const std::string before = File();
        EXPECT_EQ(Write(row[1], row[2]).outcome, Outcome::Saved);
        Write(row[1], row[2]);
        EXPECT_EQ(File(), row[3]) << row[0] << ": " << row[1] << "=" << row[2];
        EXPECT_EQ(files.replaced, File() == before ? 0 : 1) << row[0] << ": a save that changes nothing, or the second";
    }
}

TEST_F(SettingsTest, AFailedStepLeavesTheOldFileOrTheNewOneAndNoTemporaryFile) {
    const std::string old = "[main]\r\nexplorer=false\r\n", saved = "[main]\r\nexplorer=true\r\nstart=minimized\r\n";
    for (const auto& [step, outcome, file] : {std::tuple{"CreateTemp", Outcome::Failed, old}, {"Write", Outcome::Failed, old},
                                              {"Replace", Outcome::Failed, old}, {"SyncFolder", Outcome::Unconfirmed, saved}}) {
        files.files = {{kPath, old}};
        files.failAt = step;
        const core::SaveResult result = core::WriteSettings({"true", "minimized"}, store, "/drive");
        EXPECT_EQ(result.outcome, outcome) << step;
        EXPECT_EQ(result.why.error, FileError::DeviceError) << step;
        EXPECT_EQ(files.files, (std::map<std::string, std::string>{{kPath, file}})) << step;
    }
    Holding("(folder)");
    EXPECT_EQ(Write("start", "normal").why.error, FileError::FolderInPlace);
    EXPECT_EQ(File(), "(none)");
}

TEST(SaveReport, OneSentenceNamingTheFileAndTheReason) {
    EXPECT_EQ(core::SaveReport({}), "");
    EXPECT_EQ(core::SaveReport({Outcome::Failed, {FileError::ReadOnlyDrive, ""}}),
              "Your choices could not be saved in nagwick.ini: the drive is read-only.");
    EXPECT_EQ(core::SaveReport({Outcome::Failed, {FileError::Other, "Stale file handle"}}),
              "Your choices could not be saved in nagwick.ini: Stale file handle.");
    EXPECT_EQ(core::SaveReport({Outcome::Unconfirmed, {FileError::DeviceError, ""}}),
              "Your choices were saved in nagwick.ini, but they may be lost if you remove the drive now: the drive reported an error.");
}

}  // namespace
}  // namespace nagwick::test
