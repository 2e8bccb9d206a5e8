// The settings file: every vector through the store's reader and writer,
// the writer's steps failing one at a time, and the two keys as the program
// reads and writes them.
#include <gtest/gtest.h>

#include "core/module1.h"
#include "support/memory_files.h"
#include "support/settings_vectors.h"

namespace nagwick::test {
namespace {

using core::FileError;
using core::SaveResult;
using Outcome = SaveResult::Outcome;
const std::string kPath = "/drive/nagwick.ini";

class SettingsTest : public ::testing::Test {
protected:
    void Holding(const std::string& name) {
        files.files.clear();
        files.folders.clear();
        if (name == "(folder)") files.folders.insert(kPath);
        else if (name != "(none)") files.files[kPath] = vectors.files.at(name);
    }
    std::optional<std::string> File() const {
        const auto it = files.files.find(kPath);
        return it == files.files.end() ? std::nullopt : std::optional(it->second);
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
        const std::optional<std::string> before = File();
        files.replaced = 0;
        EXPECT_EQ(store.WriteProfileString("main", row[1], row[2], kPath).outcome, Outcome::Saved);
        store.WriteProfileString("main", row[1], row[2], kPath);
        EXPECT_EQ(File(), row[3]) << row[0] << ": " << row[1] << "=" << row[2];
        EXPECT_EQ(files.replaced, File() == before ? 0 : 1) << row[0] << ": a save that changes nothing, or the second";
    }
}

TEST_F(SettingsTest, AFailedStepLeavesTheOldFileOrTheNewOneAndNoTemporaryFile) {
    const std::string old = "; mine\r\n[main]\r\nexplorer=false\r\n";
    const std::string saved = "; mine\r\n[main]\r\nexplorer=true\r\n";
    struct Case { std::string step; Outcome outcome; std::string file; };
    for (const Case& c : {Case{"CreateTemp", Outcome::Failed, old}, Case{"Write", Outcome::Failed, old},
                          Case{"Replace", Outcome::Failed, old}, Case{"SyncFolder", Outcome::Unconfirmed, saved}}) {
        files.files = {{kPath, old}};
        files.failAt = c.step;
        const SaveResult result = store.WriteProfileString("main", "explorer", "true", kPath);
        EXPECT_EQ(result.outcome, c.outcome) << c.step;
        EXPECT_EQ(result.why.error, FileError::DeviceError) << c.step;
        EXPECT_EQ(files.files, (std::map<std::string, std::string>{{kPath, c.file}})) << c.step;
    }
    Holding("(folder)");
    files.failAt.clear();
    EXPECT_EQ(store.WriteProfileString("main", "start", "normal", kPath).why.error, FileError::FolderInPlace);
    EXPECT_EQ(File(), std::nullopt);
}

// A store that answers as Windows' reader may: with NULs in the buffer.
struct PaddedStore : core::SettingsStore {
    using SettingsStore::SettingsStore;
    std::vector<std::string> asked;
    std::string ReadProfileString(std::string_view, std::string_view key, std::string_view defaultValue,
                                  std::size_t bufferSize, const std::string& path) override {
        asked.push_back(std::string(key) + " " + std::to_string(bufferSize) + " " + path);
        return std::string(defaultValue) + std::string(bufferSize - 1 - defaultValue.size(), '\0');
    }
};

TEST_F(SettingsTest, TheProgramReadsEachKeyIntoItsBufferBesideTheProgram) {
    PaddedStore padded(files, '\\');
    core::Module1 shared;
    core::ReadSettings(shared, padded, "E:\\");
    EXPECT_EQ(shared.strExplorer, "true");
    EXPECT_EQ(shared.strStartState, "normal");
    EXPECT_EQ(padded.asked, (std::vector<std::string>{"explorer 6 E:\\\\nagwick.ini", "start 10 E:\\\\nagwick.ini"}));

    files.files = {{kPath, "[main]\r\nexplorer=falsey\r\nstart=minimizedXYZ\r\n"}};
    core::ReadSettings(shared, store, "/drive");
    EXPECT_EQ(shared.strExplorer, "false");
    EXPECT_EQ(shared.strStartState, "minimized");
    EXPECT_EQ(core::WriteSetting(store, "/drive", "start", "normal").outcome, Outcome::Saved);
    EXPECT_EQ(File(), "[main]\r\nexplorer=falsey\r\nstart=normal\r\n");
}

TEST(SaveReport, OneSentenceNamingTheFileAndTheReason) {
    const auto report = [](Outcome outcome, FileError error, std::string detail = {}) {
        return core::SaveReport({outcome, {error, std::move(detail)}});
    };
    EXPECT_EQ(report(Outcome::Saved, FileError::None), "");
    EXPECT_EQ(report(Outcome::Failed, FileError::ReadOnlyDrive),
              "Your choices could not be saved in nagwick.ini: the drive is read-only.");
    EXPECT_EQ(report(Outcome::Failed, FileError::FolderInPlace),
              "Your choices could not be saved in nagwick.ini: a folder has taken its name.");
    EXPECT_EQ(report(Outcome::Failed, FileError::Other, "Stale file handle"),
              "Your choices could not be saved in nagwick.ini: Stale file handle.");
    EXPECT_EQ(report(Outcome::Unconfirmed, FileError::DeviceError),
              "Your choices were saved in nagwick.ini, but they may be lost if you remove the drive now: "
              "the drive reported an error.");
}

}  // namespace
}  // namespace nagwick::test
