// The settings store on real files through the POSIX file layer: a save
// replaces the file whole by a rename and keeps its permissions; a failed one
// says why and leaves things as they were; stopped saves' files go in time.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "core/settings_store.h"
#include "platform/posix/posix_files.h"
#include "support/temp_folder.h"

namespace nagwick::test {
namespace {

namespace fs = std::filesystem;
using core::FileError;

TEST(PosixFiles, ReplaceKeepPermissionsTellWhyAndClearStaleFiles) {
    TempFolder folder;
    const fs::path path = folder / "nagwick.ini", prefix = folder / core::TempPrefix("nagwick.ini");
    platform::posix::PosixFiles files;
    core::SettingsStore store{files, '/'};
    const auto save = [&](const std::string& value, const fs::path& file) {
        return store.WriteProfileString("main", "start", value, file.string()).why.error;
    };
    const auto names = [&] {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.path)) names.insert(entry.path().filename());
        return names;
    };
    fs::create_directory(path);
    EXPECT_EQ(save("normal", path), FileError::FolderInPlace);
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);  // must not hang the program
    EXPECT_EQ(save("normal", path), FileError::Other);
    fs::remove(path);
    EXPECT_EQ(save("normal", folder / "gone" / "nagwick.ini"), FileError::FolderMissing);
    EXPECT_EQ(names(), std::set<std::string>{});

    WriteFile(path, "[main]\nstart=normal\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_hard_link(path, folder / "old");
    // Stopped saves' files: an old one goes, a young one may be another copy's, this process's own is taken over.
    for (const auto& pid : {std::string("1"), std::string("2"), std::to_string(::getpid())}) WriteFile(prefix.string() + pid, "x");
    fs::last_write_time(prefix.string() + "1", fs::file_time_type::clock::now() - std::chrono::minutes(2));
    EXPECT_EQ(save("minimized", path), FileError::None);
    EXPECT_EQ(ReadFile(path), "[main]\nstart=minimized\n");
    EXPECT_EQ(ReadFile(folder / "old"), "[main]\nstart=normal\n") << "written in place, not replaced";
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(names(), (std::set<std::string>{prefix.filename().string() + "2", "nagwick.ini", "old"}));
}

}  // namespace
}  // namespace nagwick::test
