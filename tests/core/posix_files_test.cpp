// The settings store on real files through the POSIX file layer: a save
// flushes the new file before it takes the old one's place, keeps its
// permissions, says why it failed and leaves things as they were; stopped
// saves' files go in time, and a folder that fails to be read ends only the
// sweep. The C library's fsync, rename and readdir are watched on their way
// (this program's own definitions come before the library's).
#include <dirent.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "core/settings_store.h"
#include "platform/posix/posix_files.h"
#include "support/temp_folder.h"

namespace {
std::vector<std::string> calls;  // fsync and rename, in order
int readdirsBeforeFailing = -1;  // then EIO, as from a failing drive; -1: never

template <typename F>
F* Real(const char* name) {
    return reinterpret_cast<F*>(dlsym(RTLD_NEXT, name));
}
}  // namespace

extern "C" int fsync(int fd) { return calls.push_back("fsync"), Real<int(int)>("fsync")(fd); }
extern "C" int rename(const char* from, const char* to) {
    return calls.push_back("rename"), Real<int(const char*, const char*)>("rename")(from, to);
}
extern "C" dirent* readdir(DIR* dir) {
    if (readdirsBeforeFailing >= 0 && readdirsBeforeFailing-- == 0) return errno = EIO, nullptr;
    return Real<dirent*(DIR*)>("readdir")(dir);
}

namespace nagwick::test {
namespace {

namespace fs = std::filesystem;
using core::FileError;

TEST(PosixFiles, ReplaceFlushedKeepingPermissionsTellWhyAndClearStaleFiles) {
    TempFolder folder;
    const fs::path path = folder / "nagwick.ini", prefix = folder / core::TempPrefix("nagwick.ini");
    platform::posix::PosixFiles files;
    core::SettingsStore store{files, '/'};
    const auto save = [&](const std::string& value, const fs::path& file) {
        const core::ProfileEntry entry[] = {{"start", value}};
        return store.WriteProfileStrings("main", entry, file.string()).why.error;
    };
    const auto names = [&] {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.path)) names.insert(entry.path().filename());
        return names;
    };
    fs::create_directory(path);
    EXPECT_EQ(save("normal", path), FileError::FolderInPlace);
    fs::remove(path);
    EXPECT_EQ(save("normal", folder / "gone" / "nagwick.ini"), FileError::FolderMissing);
    EXPECT_EQ(names(), std::set<std::string>{});

    WriteFile(path, "[main]\nstart=normal\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_hard_link(path, folder / "old");
    // Stopped saves' files: an old one goes, a young one may be another copy's, this process's own is taken over.
    for (const auto& pid : {std::string("1"), std::string("2"), std::to_string(::getpid())}) WriteFile(prefix.string() + pid, "x");
    fs::last_write_time(prefix.string() + "1", fs::file_time_type::clock::now() - std::chrono::minutes(2));
    calls.clear();
    EXPECT_EQ(save("minimized", path), FileError::None);
    EXPECT_EQ(calls, (std::vector<std::string>{"fsync", "rename", "fsync"})) << "the file, the rename, the folder";
    EXPECT_EQ(ReadFile(path), "[main]\nstart=minimized\n");
    EXPECT_EQ(ReadFile(folder / "old"), "[main]\nstart=normal\n") << "written in place, not replaced";
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(names(), (std::set<std::string>{prefix.filename().string() + "2", "nagwick.ini", "old"}));

    readdirsBeforeFailing = 3;  // ".", ".." and one more in any order
    EXPECT_EQ(save("normal", path), FileError::None) << "the sweep is no part of the save";
    readdirsBeforeFailing = -1;
    EXPECT_EQ(ReadFile(path), "[main]\nstart=normal\n");
}

}  // namespace
}  // namespace nagwick::test
