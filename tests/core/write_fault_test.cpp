// The settings writer on real files with a fault at each step of the atomic
// replace: the step fails, or the program stops dead (in a forked child)
// before, inside or after it. Whatever happens the file holds the old bytes
// or the new ones, and once the next start or the next write has run no
// temporary file is left.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "child_process.h"
#include "core/module1.h"
#include "core/portable_profile.h"
#include "core/profile_text.h"
#include "platform/headless/headless_system.h"
#include "platform/posix/posix_file_ops.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using nagwick::core::FileContent;
using nagwick::core::FileOps;
using nagwick::core::FileResult;
using nagwick::core::Module1;
using nagwick::core::ReadSettings;
using nagwick::core::SetProfileValue;
using nagwick::core::WriteProfileString;
using nagwick::platform::headless::HeadlessSystem;
using nagwick::platform::posix::PosixFileOps;
using nagwick::test::RunInChild;
using nagwick::test::StopNow;
using nagwick::test::TempFolder;

enum class Step { CreateTemp, Write, Flush, Rename, SyncFolder };

enum class Fault {
    None,
    FailBefore,   // the step reports a failure and does nothing
    FailHalfway,  // Write: half the bytes written, then a failure (a full disk)
    FailAfter,    // the step is done, yet reported failed (a reply lost on a network drive)
    StopBefore,   // the program stops dead as the step is about to run
    StopHalfway,  // Write: half the bytes written, then it stops
    StopAfter,    // the step is done, then it stops
};

constexpr int kStopped = 42;

// The real file layer with one fault at one step, and a hook that runs just
// before that step.
class FaultyFiles : public FileOps {
public:
    FaultyFiles(FileOps& real, Step step, Fault fault, std::function<void()> beforeStep = {})
        : real_(real), step_(step), fault_(fault), beforeStep_(std::move(beforeStep)) {}

    FileContent ReadAll(const std::string& path) override { return real_.ReadAll(path); }
    FileResult CreateTemp(const std::string& path, std::string& tempPath) override {
        return At(Step::CreateTemp, [&] { return real_.CreateTemp(path, tempPath); });
    }
    FileResult Write(const std::string& tempPath, const std::string& bytes) override {
        if (step_ == Step::Write && (fault_ == Fault::FailHalfway || fault_ == Fault::StopHalfway)) {
            real_.Write(tempPath, bytes.substr(0, bytes.size() / 2));
            if (fault_ == Fault::StopHalfway) StopNow(kStopped);
            return FileResult::Failure("No space left on device");
        }
        return At(Step::Write, [&] { return real_.Write(tempPath, bytes); });
    }
    FileResult Flush(const std::string& tempPath) override {
        return At(Step::Flush, [&] { return real_.Flush(tempPath); });
    }
    FileResult Rename(const std::string& tempPath, const std::string& path) override {
        return At(Step::Rename, [&] { return real_.Rename(tempPath, path); });
    }
    FileResult SyncFolder(const std::string& path) override {
        return At(Step::SyncFolder, [&] { return real_.SyncFolder(path); });
    }
    void Remove(const std::string& tempPath) override { real_.Remove(tempPath); }
    void RemoveStaleTemps(const std::string& path) override { real_.RemoveStaleTemps(path); }

private:
    template <typename DoStep>
    FileResult At(Step step, DoStep doStep) {
        if (step != step_) return doStep();
        if (beforeStep_) beforeStep_();
        if (fault_ == Fault::FailBefore) return FileResult::Failure("Input/output error");
        if (fault_ == Fault::StopBefore) StopNow(kStopped);
        FileResult result = doStep();
        if (fault_ == Fault::StopAfter) StopNow(kStopped);
        if (fault_ == Fault::FailAfter) return FileResult::Failure("Input/output error");
        return result;
    }

    FileOps& real_;
    Step step_;
    Fault fault_;
    std::function<void()> beforeStep_;
};

const std::string kOld = "; mine\r\n[main]\r\nexplorer=false\r\nstart=minimized\r\n";

struct Case {
    Step step;
    Fault fault;
    bool newInPlace;  // the rename has happened when the fault strikes
};

std::string Name(const Case& c) {
    static const char* steps[] = {"CreateTemp", "Write", "Flush", "Rename", "SyncFolder"};
    static const char* faults[] = {"None", "FailBefore", "FailHalfway", "FailAfter",
                                   "StopBefore", "StopHalfway", "StopAfter"};
    return std::string(steps[int(c.step)]) + "_" + faults[int(c.fault)];
}

void PrintTo(const Case& c, std::ostream* os) { *os << Name(c); }

bool Stops(Fault fault) {
    return fault == Fault::StopBefore || fault == Fault::StopHalfway || fault == Fault::StopAfter;
}

class WriteFaultTest : public ::testing::TestWithParam<Case> {
protected:
    std::string Path() const { return (folder_ / "nagwick.ini").string(); }

    std::optional<std::string> Content() const {
        if (!fs::exists(Path())) return std::nullopt;
        return nagwick::test::ReadFile(Path());
    }

    // Everything in the folder but the settings file.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names = folder_.Names();
        std::erase(names, "nagwick.ini");
        return names;
    }

    // Sets "explorer" to "true" with the case's fault; says whether it worked.
    bool FaultyWrite() {
        const Case c = GetParam();
        if (Stops(c.fault)) {
            const int status = RunInChild([&] {
                PosixFileOps real;
                FaultyFiles files(real, c.step, c.fault);
                WriteProfileString(files, "main", "explorer", "true", Path());
            });
            EXPECT_EQ(status, kStopped) << "the program did not stop at the step";
            return false;
        }
        PosixFileOps real;
        FaultyFiles files(real, c.step, c.fault);
        const FileResult result = WriteProfileString(files, "main", "explorer", "true", Path());
        EXPECT_TRUE(result.ok || !result.error.empty()) << "a failure without a reason";
        return result.ok;
    }

    TempFolder folder_;
};

// One case: with or without a file before, the fault, then the next start or
// the next write.
TEST_P(WriteFaultTest, OldOrNewFileAndNoTemporaryFileLeft) {
    const Case c = GetParam();
    for (const bool fileBefore : {true, false}) {
        for (const bool nextIsStart : {true, false}) {
            SCOPED_TRACE(std::string(fileBefore ? "file before" : "no file before") +
                         (nextIsStart ? ", then a start" : ", then a write"));
            fs::remove(Path());
            if (fileBefore) nagwick::test::WriteFile(Path(), kOld);
            const std::optional<std::string> old = fileBefore ? std::optional(kOld) : std::nullopt;
            const std::string written = SetProfileValue(old.value_or(""), "main", "explorer", "true");

            EXPECT_FALSE(FaultyWrite());
            const std::optional<std::string> expected = c.newInPlace ? std::optional(written) : old;
            EXPECT_EQ(Content(), expected) << "the file is neither the old one nor the new one";
            if (!Stops(c.fault)) {
                EXPECT_EQ(Leftovers(), std::vector<std::string>{}) << "a failed step left a file";
            }

            if (nextIsStart) {
                HeadlessSystem system(folder_.str());
                Module1 shared;
                ReadSettings(shared, system);
                EXPECT_EQ(shared.strExplorer, c.newInPlace || !fileBefore ? "true" : "false");
                EXPECT_EQ(Content(), expected) << "the start changed the file";
            } else {
                PosixFileOps files;
                const FileResult next = WriteProfileString(files, "main", "start", "normal", Path());
                EXPECT_TRUE(next.ok) << next.error;
                EXPECT_EQ(Content(), SetProfileValue(expected.value_or(""), "main", "start", "normal"));
            }
            EXPECT_EQ(Leftovers(), std::vector<std::string>{});
        }
    }
}

// Halfway faults exist for Write only; a failure after the rename is the
// SyncFolder one.
constexpr Case kCases[] = {
    {Step::CreateTemp, Fault::FailBefore, false}, {Step::CreateTemp, Fault::StopBefore, false},
    {Step::CreateTemp, Fault::StopAfter, false},  {Step::Write, Fault::FailBefore, false},
    {Step::Write, Fault::FailHalfway, false},     {Step::Write, Fault::FailAfter, false},
    {Step::Write, Fault::StopBefore, false},      {Step::Write, Fault::StopHalfway, false},
    {Step::Write, Fault::StopAfter, false},       {Step::Flush, Fault::FailBefore, false},
    {Step::Flush, Fault::FailAfter, false},       {Step::Flush, Fault::StopBefore, false},
    {Step::Flush, Fault::StopAfter, false},       {Step::Rename, Fault::FailBefore, false},
    {Step::Rename, Fault::FailAfter, true},       {Step::Rename, Fault::StopBefore, false},
    {Step::Rename, Fault::StopAfter, true},       {Step::SyncFolder, Fault::FailBefore, true},
    {Step::SyncFolder, Fault::StopBefore, true},  {Step::SyncFolder, Fault::StopAfter, true},
};
INSTANTIATE_TEST_SUITE_P(EachStep, WriteFaultTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return Name(info.param); });

// Another copy of the program, starting or saving while this one saves, must
// leave this one's temporary file alone however young or old it is.
TEST(WriteFaultConcurrency, AnotherCopyLeavesARunningWritersTemporaryFileAlone) {
    TempFolder folder;
    const std::string path = (folder / "nagwick.ini").string();
    nagwick::test::WriteFile(path, kOld);
    const auto temps = [&] {
        return std::ranges::count_if(folder.Names(), [&](const std::string& name) {
            return name.starts_with(PosixFileOps::TempPrefix(path));
        });
    };

    int otherCopy = -1, tempsWhileOtherRan = -1;
    PosixFileOps real;
    FaultyFiles files(real, Step::Rename, Fault::None, [&] {
        // Written and flushed, about to be renamed: now the other copy starts,
        // then saves a setting of its own.
        otherCopy = RunInChild([&] {
            HeadlessSystem system(folder.str());
            Module1 shared;
            ReadSettings(shared, system);
            PosixFileOps own;
            StopNow(WriteProfileString(own, "main", "start", "normal", path).ok ? 0 : 1);
        });
        tempsWhileOtherRan = temps();
    });
    const FileResult result = WriteProfileString(files, "main", "explorer", "true", path);
    EXPECT_EQ(otherCopy, 0) << "the other copy could not save";
    EXPECT_EQ(tempsWhileOtherRan, 1) << "the other copy removed the running writer's file";
    ASSERT_TRUE(result.ok) << result.error;
    // The last rename wins: this writer's content, read before the other saved.
    EXPECT_EQ(nagwick::test::ReadFile(path), SetProfileValue(kOld, "main", "explorer", "true"));
    EXPECT_EQ(temps(), 0);
}

}  // namespace
